#pragma once
// Fills the main window's command tree from item lines, as loading a file does.

#include <string>

#include "gui/window/Test3Dlg.h"
#include "core/codec/Cp932.h"
#include "gui/controls/CmdTree.h"
#include "gui/features/TreeCommands.h"
#include "core/files/CommandFile.h"
#include "gui/features/FileCommands.h"

namespace vexa::test {

// Item lines of the older form ("level,label", UTF-8) with the window's settings; afterwards
// the window counts as just loaded.
inline void LoadTree(CTest3Dlg& dialog, const std::string& utf8Lines) {
  dialog.Settings().formatTag = "Vexa";
  const LoadOutcome outcome =
      LoadItemsFromText(dialog.Tree(), Utf8ToCp932(utf8Lines), dialog.Settings());
  dialog.TreeEditing().TreeLoaded(outcome, true);
  dialog.Files().UpdateTitle();
}

// As LoadTree, with every item expanded.
inline void FillTree(CTest3Dlg& dialog, const std::string& utf8Lines) {
  LoadTree(dialog, utf8Lines);
  dialog.Tree().expandAll();
}

}  // namespace vexa::test
