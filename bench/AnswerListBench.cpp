// SPDX-License-Identifier: GPL-3.0-or-later
// How many lines per second CAnswerList::AddLine absorbs at its steady 1001 entries, on the
// offscreen platform: AddLine alone, and with the event loop (layout, scrolling, painting)
// run after every batch of lines, as the window does after each drained receive queue.
//
//   bench_answer_list [lines]

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/controls/AnswerList.h"
#include "gui/seam/DialogUnits.h"

namespace {

double LinesPerSecond(vexa::CAnswerList& list, const std::string& line, int lines, int batch) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < lines; ++i) {
    list.AddLine(line);
    if (batch > 0 && i % batch == batch - 1) QCoreApplication::processEvents();
  }
  QCoreApplication::processEvents();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return lines / elapsed.count();
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  vexa::InstallFontSubstitutions();
  const int lines = argc >= 2 ? std::atoi(argv[1]) : 200000;

  vexa::CAnswerList list;
  list.setFont(vexa::DialogFont());
  list.resize(300, 400);
  list.show();
  for (int i = 0; i < 1001; ++i) list.AddLine("warm-up line " + std::to_string(i));
  QCoreApplication::processEvents();

  const std::string shortLine = "OK 0123456789ABC";  // 16 bytes
  std::string longLine;
  while (longLine.size() < 200) longLine += "+CME ERROR: 0123456789 ";
  longLine.resize(200);

  for (int batch : {0, 1000, 100}) {
    const double shortRate = LinesPerSecond(list, shortLine, lines, batch);
    const double longRate = LinesPerSecond(list, longLine, lines / 4, batch);
    const std::string painted =
        batch == 0 ? "AddLine alone" : "event loop every " + std::to_string(batch) + " lines";
    std::printf(
        "AddLine at %d entries, %s: 16-byte lines %.0f lines/s (goal >= 100000), 200-byte lines "
        "%.0f lines/s\n",
        list.Count(), painted.c_str(), shortRate, longRate);
  }
  return 0;
}
