// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What one feature of the main window needs of another. The application hands each feature
// the few it uses when it builds them, so no feature reaches another through the window.

namespace vexa {

struct LoadOutcome;

// The tree after it was emptied or built anew as a whole (TreeCommands).
class TreeReload {
 public:
  virtual ~TreeReload() = default;
  // 全削除: every item goes, with the timers and rows that belonged to them.
  virtual void DeleteAll() = 0;
  // After a file or the default set replaced the tree: its messages (when asked for), the
  // command list and the greying of 削除 and 全削除.
  virtual void TreeLoaded(const LoadOutcome& outcome, bool showMessages) = 0;
};

// The command box while connected (LinkControl).
class CommandBoxFeed {
 public:
  virtual ~CommandBoxFeed() = default;
  // Shows the selected item's command data, as a change of the selection does.
  virtual void ShowSelectedItem() = 0;
};

}  // namespace vexa
