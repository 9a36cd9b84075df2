// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of the main window: one QAction per command id, shared by the menu bar and
// the toolbar, and a handler table that the features attach to. A command without a handler
// does nothing. Check marks change only through SetCheck, never by a click on their own.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace vexa {

class CommandSet : public QObject {
  Q_OBJECT

 public:
  explicit CommandSet(QWidget* owner);
  ~CommandSet() override;

  // nullptr for a command that has neither a menu item nor a toolbar button.
  QAction* Action(int id) const;

  void SetHandler(int id, std::function<void()> handler);
  void Execute(int id);

  void SetCheck(int id, bool on);
  bool IsChecked(int id) const;
  void SetEnable(int id, bool on);
  bool IsEnabled(int id) const;
  // As a freshly loaded menu: nothing checked, everything enabled.
  void ResetStates();

  // Fills an empty menu bar with menu 128. The recent-file slot starts empty.
  void FillMenuBar(QMenuBar& bar);
  // Replaces the recent-file items (at most five, "name(&i)") before the exit item.
  void SetRecentFiles(const QStringList& names);
  QStringList RecentFileTexts() const;

  // The 20-entry toolbar, as a child of `parent`.
  QToolBar* CreateToolbar(QWidget* parent);

 private:
  QAction* AddAction(QWidget* owner, int id, const QString& text);

  std::map<int, QAction*> actions_;
  std::map<int, std::function<void()>> handlers_;
  QPointer<QMenu> fileMenu_;
  QAction* recentSeparator_ = nullptr;
};

}  // namespace vexa
