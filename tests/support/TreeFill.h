// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fills the main window's command tree from item lines, as loading a file does.

#include <string>

#include "core/codec/Cp932.h"
#include "core/files/CommandFile.h"
#include "core/workspace/Workspace.h"
#include "gui/app/Test3App.h"
#include "gui/controls/CmdTree.h"
#include "gui/features/FileCommands.h"
#include "gui/features/TreeCommands.h"
#include "gui/window/Test3Dlg.h"

namespace vexa::test {

// Item lines of the older form ("level,label", UTF-8) with the window's settings; afterwards
// the window counts as just loaded.
inline void LoadTree(CTest3App& app, const std::string& utf8Lines) {
  app.Work().Settings().formatTag = "Vexa";
  const LoadOutcome outcome =
      LoadItemsFromText(app.Work().Tree(), Utf8ToCp932(utf8Lines), app.Work().Settings());
  app.TreeEditing().TreeLoaded(outcome, true);
  app.Files().UpdateTitle();
}

// As LoadTree, with every item expanded.
inline void FillTree(CTest3App& app, const std::string& utf8Lines) {
  LoadTree(app, utf8Lines);
  app.Window().Tree().expandAll();
}

}  // namespace vexa::test
