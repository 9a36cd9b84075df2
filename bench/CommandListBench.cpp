// SPDX-License-Identifier: GPL-3.0-or-later
// The command list window over a large command file, through the main window's own commands
// on the offscreen platform. Every operation below runs on the window's thread without
// returning to the event loop, so its time is how long the window stays frozen. Prints
// figures; the goal is at most 100 ms for a refill.
//
//   bench_command_list [items] [runs]

#include <QApplication>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/CommandIds.h"
#include "core/workspace/Workspace.h"
#include "gui/app/Test3App.h"
#include "gui/controls/CmdList.h"
#include "gui/controls/CmdTree.h"
#include "gui/features/CommandListCommands.h"
#include "gui/features/FileCommands.h"
#include "gui/features/TreeCommands.h"
#include "gui/window/Test3Dlg.h"
#include "support/ScriptedUi.h"

namespace {

// Lays out and paints the list as the operator would see it next.
void Paint(vexa::CTest3App& app) {
  QCoreApplication::processEvents();
  if (vexa::CCmdList* list = app.CommandListWindow().Window()) list->List().viewport()->repaint();
}

void Print(const char* what, std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  std::printf("  median %6.1f ms, worst %6.1f ms  %s\n", samples[samples.size() / 2],
              samples.back(), what);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const int items = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 100000;
  const int runs = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::filesystem::path dir = vexa::bench::PrepareScratchFolder("list", items);
  const std::string source = (dir / "large.vxp").string();

  QApplication application(argc, argv);
  vexa::test::ScriptedUi ui;
  vexa::CTest3App app;
  vexa::CTest3Dlg* dialog = &app.CreateMainDialog(QString());
  dialog->OnInitDialog();
  dialog->show();
  ui.fileAnswers.push_back(QString::fromStdString(source));
  dialog->ExecuteCommand(vexa::kCmdOpenFile);
  QCoreApplication::processEvents();

  std::vector<double> opening, refills, sorts, commandSorts, deletes, closing;
  int rows = 0;
  for (int run = 0; run < runs; ++run) {
    opening.push_back(vexa::bench::TimeMs([&] { dialog->ExecuteCommand(vexa::kCmdCommandList); }));
    Paint(app);
    vexa::CCmdList& list = *app.CommandListWindow().Window();
    rows = list.RowCount();
    refills.push_back(vexa::bench::TimeMs([&] { app.Work().RefillCommandList(); }));
    Paint(app);
    sorts.push_back(vexa::bench::TimeMs([&] {
      list.SortByColumn(1);
      Paint(app);
    }));
    commandSorts.push_back(vexa::bench::TimeMs([&] {
      list.SortByColumn(0);
      Paint(app);
    }));
    // 削除 of one group: its ten commands leave the list one by one.
    vexa::CCmdTree& tree = dialog->Tree();
    tree.SelectItem(vexa::CCmdTree::HandleOf(tree.topLevelItem(tree.topLevelItemCount() / 2)));
    deletes.push_back(vexa::bench::TimeMs([&] { dialog->ExecuteCommand(vexa::kCmdDelete); }));
    closing.push_back(vexa::bench::TimeMs([&] { dialog->ExecuteCommand(vexa::kCmdCommandList); }));
    QCoreApplication::processEvents();
  }
  app.Files().UpdateTitle();  // no save question
  app.DestroyMainDialog();
  std::filesystem::remove_all(dir);

  std::printf(
      "command list window, %d commands (%d rows at the last run), %d runs; each time is\n"
      "how long the window is frozen (goal for a refill: <= 100 ms):\n",
      items, rows, runs);
  Print("ｺﾏﾝﾄﾞ一覧 on (window, refill)", opening);
  Print("RefillCommandList (rows as one bulk change)", refills);
  Print("sort by 送信周期 (and paint)", sorts);
  Print("sort by 送信ｺﾏﾝﾄﾞ (and paint)", commandSorts);
  Print("削除 of a group of 10 with the list open", deletes);
  Print("ｺﾏﾝﾄﾞ一覧 off (layout stored)", closing);
  return 0;
}
