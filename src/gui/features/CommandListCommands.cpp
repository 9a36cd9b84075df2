// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/features/CommandListCommands.h"

#include <utility>

#include "core/CommandIds.h"
#include "core/workspace/Workspace.h"
#include "gui/controls/CmdTree.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {

CommandListCommands::CommandListCommands(CTest3Dlg& window, Workspace& work,
                                         Preferences& preferences, QWidget& owner)
    : mainWindow_(window), work_(work), preferences_(preferences), owner_(owner) {
  window.SetCommandHandler(kCmdCommandList, [this] { Toggle(); });
}

CommandListCommands::~CommandListCommands() {
  if (!window_) return;
  work_.SetCommandList(nullptr);
  delete window_;
}

void CommandListCommands::Toggle() {
  if (mainWindow_.IsCommandChecked(kCmdCommandList)) {
    mainWindow_.SetCommandCheck(kCmdCommandList, false);
    Close();
    return;
  }
  mainWindow_.SetCommandCheck(kCmdCommandList, true);
  Open();
  work_.RefillCommandList();
}

void CommandListCommands::Open() {
  if (window_) return;
  auto* window = new CCmdList(&owner_, *this, preferences_, work_.FileTitle());
  // The owner may take the window with it at the end of the run.
  CommandListView* view = window;
  connect(window, &QObject::destroyed, this, [this, view] {
    if (work_.CommandList() == view) work_.SetCommandList(nullptr);
  });
  window_ = window;
  work_.SetCommandList(window);
  window->show();
}

void CommandListCommands::Close() {
  if (!window_) return;
  work_.SetCommandList(nullptr);
  std::exchange(window_, nullptr)->Destroy();
}

void CommandListCommands::SelectItemFromList(ItemHandle item) {
  if (!item) return;
  CCmdTree& tree = mainWindow_.Tree();
  tree.SelectItem(item);
  mainWindow_.activateWindow();
  tree.setFocus();
}

void CommandListCommands::CommandListClosed() {
  if (mainWindow_.IsCommandChecked(kCmdCommandList)) Toggle();
}

void CommandListCommands::customEvent(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != kSelectItemEvent && type != kListClosedEvent && type != kGetItemEvent) {
    QObject::customEvent(event);
    return;
  }
  auto* request = static_cast<CommandListEvent*>(event);
  if (type == kSelectItemEvent) {
    SelectItemFromList(request->Item());
  } else if (type == kListClosedEvent) {
    CommandListClosed();
  } else if (request->Item()) {
    request->SetRecord(mainWindow_.Tree().Record(request->Item()));
  }
}

}  // namespace vexa
