// SPDX-License-Identifier: GPL-3.0-or-later
// Load and save of a large command file, and デフォルト, through the main window's own commands
// on the offscreen platform: 開く and 名前をつけて保存 with their file dialog answered, and the
// tree laid out and painted after each change. Prints figures.
//
//   bench_tree_window [items] [runs]
//   (about 420,000 items make a file of 16 MiB, the largest that opens)

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/CommandIds.h"
#include "gui/app/Test3App.h"
#include "gui/controls/CmdTree.h"
#include "gui/window/Test3Dlg.h"
#include "support/ScriptedUi.h"

namespace {

// Lets the window lay out and paint what changed, as it would before the operator sees it.
void Settle(vexa::CTest3Dlg& dialog) {
  QCoreApplication::processEvents();
  dialog.Tree().viewport()->repaint();
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const int items = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 100000;
  const int runs = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::filesystem::path dir = vexa::bench::PrepareScratchFolder("tree", items);
  const std::string source = (dir / "large.vxp").string();
  const std::string target = (dir / "saved.vxp").string();

  QApplication application(argc, argv);
  vexa::test::ScriptedUi ui;
  vexa::CTest3App app;
  vexa::CTest3Dlg* dialog = &app.CreateMainDialog(QString());
  dialog->OnInitDialog();
  dialog->show();
  Settle(*dialog);

  std::vector<double> loads, saves, clearingDefaults, defaults;
  int shownItems = 0;
  const double fileBytes = static_cast<double>(std::filesystem::file_size(source));
  const std::size_t resident = vexa::bench::ResidentBytes();
  double firstLoadGrowth = 0;
  for (int run = 0; run < runs; ++run) {
    if (run == 0) vexa::bench::ResetPeakResident();
    ui.messageAnswers.push_back(vexa::ui::Answer::kNo);  // after デフォルト: do not save
    ui.fileAnswers.push_back(QString::fromStdString(source));
    loads.push_back(vexa::bench::TimeMs([&] {
      dialog->ExecuteCommand(vexa::kCmdOpenFile);
      Settle(*dialog);
    }));
    shownItems = dialog->Tree().topLevelItemCount();
    if (run == 0) {
      firstLoadGrowth = static_cast<double>(vexa::bench::PeakResidentBytes() - resident);
    }
    ui.fileAnswers.push_back(QString::fromStdString(target));
    saves.push_back(vexa::bench::TimeMs([&] { dialog->ExecuteCommand(vexa::kCmdSaveAs); }));
    // Replacing the large tree, then replacing the default set itself.
    for (std::vector<double>* samples : {&clearingDefaults, &defaults}) {
      samples->push_back(vexa::bench::TimeMs([&] {
        dialog->ExecuteCommand(vexa::kCmdDefaultSet);
        Settle(*dialog);
      }));
    }
  }
  const bool identical = std::filesystem::file_size(source) == std::filesystem::file_size(target);
  const std::size_t messages = ui.messages.size();
  app.DestroyMainDialog();
  std::filesystem::remove_all(dir);

  std::printf("main window, %d commands (%d top-level items), median of %d runs:\n", items,
              shownItems, runs);
  std::printf(
      "  開く             %8.1f ms (goal <= 1000 ms), %.0f ms per 10 MB of its %.0f bytes\n",
      Median(loads), Median(loads) * 1e7 / fileBytes, fileBytes);
  std::printf("                   %8.1f MB at the peak of the first, %.1f x the file\n",
              firstLoadGrowth / 1e6, firstLoadGrowth / fileBytes);
  std::printf("  名前をつけて保存 %8.1f ms (goal <= 500 ms)%s\n", Median(saves),
              identical ? "" : "  [saved file differs in size]");
  std::printf(
      "  デフォルト       %8.1f ms (goal <= 50 ms); %.1f ms when it replaces the large tree\n",
      Median(defaults), Median(clearingDefaults));
  if (messages != static_cast<std::size_t>(runs) - 1)
    std::printf("  unexpected messages: %zu\n", messages);
  return 0;
}
