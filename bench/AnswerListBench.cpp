// SPDX-License-Identifier: GPL-3.0-or-later
// How many lines per second CAnswerList::AddLine absorbs at its steady 1001 entries, on the
// offscreen platform: AddLine alone, and with the event loop (layout, scrolling, painting)
// run after every batch of lines, as the window does after each drained receive queue. And
// how long a find takes that goes round a full list (1001 lines) without a match. And the CPU
// a shown line costs when lines come one at a time, as a periodic send shows its lines: each
// added to a full list with its time and the mark of its origin, then laid out and painted.
//
//   bench_answer_list [lines]

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
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

// Milliseconds of the slowest and the average of `runs` finds.
void PrintFindTimes(const vexa::CAnswerList& list, const char* name, const vexa::FindQuery& query) {
  constexpr int kRuns = 200;
  double slowest = 0;
  double total = 0;
  bool found = false;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    found = list.Find(query, i % 2 == 0).has_value();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    slowest = std::max(slowest, took.count());
    total += took.count();
  }
  std::printf("find round %d lines, %s%s: average %.3f ms, slowest %.3f ms (goal < 5)\n",
              list.Count(), name, found ? " (found)" : "", total / kRuns, slowest);
}

// Milliseconds of CPU per line added one at a time, each laid out and painted before the next.
double CpuPerShownLine(vexa::CAnswerList& list, int lines) {
  const auto before = vexa::bench::ProcessCpuTime();
  for (int i = 0; i < lines; ++i) {
    const bool sent = i % 2 == 0;
    list.AddLines({{sent ? "AT+CSQ" : "+CSQ: 23,99 " + std::to_string(i % 100),
                    vexa::WallTime{std::chrono::milliseconds(1700000000000LL + 100LL * i)},
                    sent ? vexa::RecordOrigin::kSentPeriodic : vexa::RecordOrigin::kReceived}});
    // Until the view has laid out and painted the line, as between two lines of the window.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return std::chrono::duration<double, std::milli>(vexa::bench::ProcessCpuTime() - before).count() /
         lines;
}

// Milliseconds of CPU per showing of a 1 MB/s flood of 16-byte lines: the 6,250 lines of
// 100 ms (a read of 64 lines shares its arrival time, one line was sent) added at once, laid
// out and drawn.
double CpuPerFloodShowing(vexa::CAnswerList& list, int showings) {
  constexpr int kLinesPerShowing = 6250;
  const auto before = vexa::bench::ThreadCpuTime();
  for (int showing = 0; showing < showings; ++showing) {
    std::vector<vexa::AnswerLine> lines;
    lines.reserve(kLinesPerShowing);
    for (int i = 0; i < kLinesPerShowing; ++i) {
      const long long line = static_cast<long long>(showing) * kLinesPerShowing + i;
      const bool sent = i == kLinesPerShowing / 2;
      lines.push_back({sent ? "AT+CSQ" : "+CSQ: 23," + std::to_string(line % 100000),
                       vexa::WallTime{std::chrono::milliseconds(1700000000000LL + line / 64)},
                       sent ? vexa::RecordOrigin::kSentPeriodic : vexa::RecordOrigin::kReceived});
    }
    list.AddLines(lines);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return std::chrono::duration<double, std::milli>(vexa::bench::ThreadCpuTime() - before).count() /
         showings;
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

  // A full list of answer lines, a third of them HEX, with times shown; nothing matches.
  std::vector<vexa::AnswerLine> full;
  for (int i = 0; i < 1001; ++i) {
    if (i % 3 == 0) {
      full.push_back({"4f4b0d0a2b434d45204552524f523a20" + std::to_string(i % 10),
                      {},
                      vexa::RecordOrigin::kReceived,
                      true});
    } else {
      full.push_back({"+CME ERROR: 0123456789 line " + std::to_string(i)});
    }
  }
  list.Reset();
  list.SetTimesShown(true);
  list.AddLines(full);
  QCoreApplication::processEvents();
  PrintFindTimes(list, "text, any case, no match", {"NO CARRIER"});
  PrintFindTimes(list, "text, match case, no match", {"no carrier", true});
  PrintFindTimes(list, "HEX, no match", {"0d 0a 0d", false, true});

  constexpr int kShown = 2000;
  const double perLine = CpuPerShownLine(list, kShown);
  std::printf("%d lines shown one at a time, times and sent lines: %.3f ms CPU per line\n", kShown,
              perLine);
  list.resize(600, 600);
  QCoreApplication::processEvents();
  constexpr int kShowings = 300;
  std::printf("a 1 MB/s flood, times and sent lines: %.3f ms CPU per showing of 6250 lines\n",
              CpuPerFloodShowing(list, kShowings));
  return 0;
}
