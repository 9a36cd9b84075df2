// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/QtMenu.h"

#include <QAction>
#include <QMenu>

namespace vexa {

void FillMenu(QMenu& menu, const MenuDescription& entries) {
  for (const MenuEntry& entry : entries) {
    const QString text = QString::fromStdString(entry.text);
    switch (entry.kind) {
      case MenuEntry::Kind::kSeparator:
        menu.addSeparator();
        break;
      case MenuEntry::Kind::kCommand: {
        QAction* action = menu.addAction(text);
        action->setData(entry.id);
        action->setEnabled(entry.enabled);
        break;
      }
      case MenuEntry::Kind::kPopup: {
        QMenu* popup = menu.addMenu(text);
        FillMenu(*popup, entry.children);
        popup->setEnabled(entry.enabled);
        break;
      }
    }
  }
}

}  // namespace vexa
