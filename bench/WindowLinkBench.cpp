// SPDX-License-Identifier: GPL-3.0-or-later
// The whole receive path through the real main window (offscreen), against a pseudo-terminal
// device: the highest paced rate of 16-byte lines received for 10 s with nothing dropped and
// a byte-exact log, the longest stall of the window's event loop meanwhile, the CPU used,
// the CPU used while connected and idle, peak memory, and the automatic-answer latency. Each
// figure is taken twice, side by side: with the answer list's display switches (arrival
// times, sent lines) off, and with both on.
//
//   bench_window_link [seconds per rate [MB/s]]   (one rate only when given)

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "core/CommandIds.h"
#include "core/files/CommandFile.h"
#include "core/workspace/Workspace.h"
#include "gui/app/Test3App.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/features/LinkControl.h"
#include "gui/seam/DialogUnits.h"
#include "gui/seam/Resources.h"
#include "gui/seam/UiSeam.h"
#include "gui/window/Test3Dlg.h"
#include "support/PseudoTerminal.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr std::size_t kLineBytes = 16;

// Line n: 14 decimal digits and CR LF.
void AppendLine(std::string& out, std::uint64_t n) {
  char line[32];
  std::snprintf(line, sizeof line, "%014llu\r\n",
                static_cast<unsigned long long>(n % 100000000000000ULL));
  out.append(line, kLineBytes);
}

// Answers the log file dialog with a fixed path and every message with OK.
class BenchAnswerer : public vexa::ui::Answerer {
 public:
  QString logPath;
  int messages = 0;
  vexa::ui::Answer Message(const vexa::ui::MessageRequest&) override {
    ++messages;
    return vexa::ui::Answer::kOk;
  }
  std::optional<QString> File(const vexa::ui::FileRequest&) override { return logPath; }
  std::optional<QFont> Font(const QFont&) override { return std::nullopt; }
  int Menu(const vexa::MenuDescription&, QPoint) override { return 0; }
  bool OpenDocument(const QString&) override { return false; }
  void Beep() override {}
};

// Runs the event loop for `duration`, noting the longest gap between ticks of a 1 ms timer.
// The ticks cost CPU themselves, so CPU figures come from runs without them.
double RunLoopMeasuringStall(std::chrono::milliseconds duration, bool tick = true) {
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  qint64 longest = 0;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last);
    last = now;
  });
  if (tick) ticker.start(1);
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
  return longest / 1e6;
}

// A child process writes `rate` bytes/s of numbered lines for `duration`, then waits to be
// killed (closing the device early would throw away what the window has not read yet).
// Returns its pid; `doneFd` becomes readable when it has written everything, and carries the
// number of lines written.
pid_t StartWriter(vexa::test::PseudoTerminal& device, double rate,
                  std::chrono::milliseconds duration, int& doneFd) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid != 0) {
    ::close(pipeFds[1]);
    doneFd = pipeFds[0];
    return pid;
  }
  ::close(pipeFds[0]);
  const auto start = Clock::now();
  std::uint64_t written = 0;
  std::string chunk;
  for (auto tick = start; tick - start < duration; tick += 1ms) {
    std::this_thread::sleep_until(tick);
    const double due =
        rate * std::chrono::duration<double>(tick - start + 1ms).count() / kLineBytes;
    chunk.clear();
    for (; written < static_cast<std::uint64_t>(due); ++written) AppendLine(chunk, written);
    if (!chunk.empty() && !device.Write(chunk, 10s)) break;
  }
  const ssize_t n = ::write(pipeFds[1], &written, sizeof written);
  (void)n;
  ::pause();
  ::_exit(0);
}

// Whether the log holds exactly lines 0 to count - 1, read in pieces to keep memory flat.
bool LogHoldsLines(const fs::path& log, std::uint64_t count) {
  std::ifstream in(log, std::ios::binary);
  std::string expected;
  std::string actual;
  constexpr std::uint64_t kLinesPerPiece = 65536;
  for (std::uint64_t n = 0; n < count; n += kLinesPerPiece) {
    expected.clear();
    for (std::uint64_t k = n; k < std::min(count, n + kLinesPerPiece); ++k) AppendLine(expected, k);
    actual.resize(expected.size());
    if (!in.read(actual.data(), static_cast<std::streamsize>(actual.size())) ||
        actual != expected) {
      return false;
    }
  }
  return in.peek() == std::char_traits<char>::eof();
}

struct RateResult {
  double offeredMBps = 0;
  double achievedMBps = 0;
  std::uint64_t dropped = 0;
  bool logExact = false;
  double stallMs = 0;
  double cpuPercent = 0;
};

RateResult RunAtRate(vexa::CTest3App& app, BenchAnswerer& answerer, const fs::path& dir,
                     double rate, std::chrono::milliseconds duration, bool measureStall) {
  vexa::CTest3Dlg& dialog = app.Window();
  RateResult result;
  result.offeredMBps = rate / 1e6;
  vexa::test::PseudoTerminal device;
  app.Work().Settings().portName = device.PortPath();
  const fs::path log = dir / "bench.log";
  answerer.logPath = QString::fromStdString(log.string());
  dialog.ExecuteCommand(vexa::kCmdLog);
  dialog.ExecuteCommand(vexa::kCmdConnect);

  const auto cpuBefore = vexa::bench::ProcessCpuTime();
  const auto wallBefore = Clock::now();
  int doneFd = -1;
  const pid_t writer = StartWriter(device, rate, duration, doneFd);
  result.stallMs = RunLoopMeasuringStall(duration, measureStall);
  // Let the window take the rest, then stop.
  std::uint64_t lines = 0;
  pollfd done{doneFd, POLLIN, 0};
  while (::poll(&done, 1, 0) == 0) RunLoopMeasuringStall(10ms, false);
  if (::read(doneFd, &lines, sizeof lines) != sizeof lines) lines = 0;
  const auto wallSeconds = std::chrono::duration<double>(Clock::now() - wallBefore).count();
  RunLoopMeasuringStall(300ms, false);
  const auto cpu = vexa::bench::ProcessCpuTime() - cpuBefore;
  result.cpuPercent = 100.0 * std::chrono::duration<double>(cpu).count() / wallSeconds;
  result.achievedMBps = lines * kLineBytes / 1e6 / std::chrono::duration<double>(duration).count();
  result.dropped = app.Work().Dropped().bytes;

  dialog.ExecuteCommand(vexa::kCmdDisconnect);
  dialog.ExecuteCommand(vexa::kCmdLog);
  ::kill(writer, SIGKILL);
  ::waitpid(writer, nullptr, 0);
  ::close(doneFd);

  result.logExact = LogHoldsLines(log, lines);
  return result;
}

// Both display switches: arrival times and sent lines.
void SetDisplaySwitches(vexa::CTest3Dlg& dialog, bool on) {
  for (int id : {vexa::kCmdShowTimes, vexa::kCmdShowSent}) {
    if (dialog.IsCommandChecked(id) != on) dialog.ExecuteCommand(id);
  }
}

const char* SwitchesName(bool on) {
  return on ? "switches on " : "switches off";
}

double IdleCpuPercent(vexa::CTest3App& app) {
  vexa::CTest3Dlg& dialog = app.Window();
  vexa::test::PseudoTerminal device;
  app.Work().Settings().portName = device.PortPath();
  dialog.ExecuteCommand(vexa::kCmdConnect);
  RunLoopMeasuringStall(500ms);
  const auto cpuBefore = vexa::bench::ProcessCpuTime();
  const auto wallBefore = Clock::now();
  QEventLoop loop;
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  const double percent =
      100.0 * std::chrono::duration<double>(vexa::bench::ProcessCpuTime() - cpuBefore).count() /
      std::chrono::duration<double>(Clock::now() - wallBefore).count();
  dialog.ExecuteCommand(vexa::kCmdDisconnect);
  return percent;
}

void MeasureAnswerLatency(vexa::CTest3App& app, bool switchesOn) {
  vexa::CTest3Dlg& dialog = app.Window();
  vexa::CommSettings current = app.Work().Settings();
  current.formatTag = vexa::kCurrentFormatTag;
  vexa::LoadItemsFromText(dialog.Tree(), std::string("0,257,ring;RING\n2,1,answer;ATA\n"), current);
  vexa::test::PseudoTerminal device;
  app.Work().Settings().portName = device.PortPath();
  dialog.ExecuteCommand(vexa::kCmdConnect);
  std::vector<double> samples;
  std::atomic<bool> finished{false};
  std::thread deviceSide([&] {
    for (int trial = 0; trial < 1000; ++trial) {
      const auto sent = Clock::now();
      device.Write("RING\r\n");
      if (device.Read(5, 2s) != "ATA\r\n") break;
      samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
      std::this_thread::sleep_for(2ms);  // the answer's wait has ended before the next RING
    }
    finished = true;
  });
  while (!finished) RunLoopMeasuringStall(50ms);
  deviceSide.join();
  dialog.ExecuteCommand(vexa::kCmdDisconnect);
  dialog.Tree().ClearTree();
  vexa::bench::PrintPercentiles(std::string("automatic answer through the window, ") +
                                    SwitchesName(switchesOn) + " (delay 1 ms, goal p50 <= 1.5)",
                                samples, "ms");
}

long PeakResidentMB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  const auto duration = std::chrono::milliseconds(argc > 1 ? std::atoi(argv[1]) * 1000 : 10000);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const fs::path dir = fs::temp_directory_path() / ("vexa-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.string()));
  QApplication application(argc, argv);
  vexa::InstallFontSubstitutions();
  vexa::LoadResources();
  BenchAnswerer answerer;
  vexa::ui::SetAnswerer(&answerer);
  vexa::CTest3App app;
  vexa::CTest3Dlg& dialog = app.CreateMainDialog(QString());
  dialog.OnInitDialog();
  dialog.show();

  for (bool on : {false, true}) {
    SetDisplaySwitches(dialog, on);
    std::printf("connected and idle, %s: %.3f %% CPU (goal <= 0.2 %%)\n", SwitchesName(on),
                IdleCpuPercent(app));
  }
  for (bool on : {false, true}) {
    SetDisplaySwitches(dialog, on);
    MeasureAnswerLatency(app, on);
  }
  std::printf(
      "16-byte lines, %lld s per rate, log on (written MB/s, dropped bytes, log, longest "
      "stall, CPU; goal at 1.2 MB/s: no loss, CPU <= 8 %%):\n",
      static_cast<long long>(duration.count() / 1000));
  double best[2] = {0, 0};
  bool lossless[2] = {true, true};
  std::vector<double> rates = {1.2e6, 5e6, 10e6, 20e6, 30e6, 40e6, 60e6};
  if (argc > 2) rates = {std::atof(argv[2]) * 1e6};
  for (double rate : rates) {
    std::printf("  offered %5.1f MB/s:", rate / 1e6);
    for (bool on : {false, true}) {
      if (!lossless[on]) {
        std::printf("  | %s: -", SwitchesName(on));
        continue;
      }
      SetDisplaySwitches(dialog, on);
      const RateResult r = RunAtRate(app, answerer, dir, rate, duration, true);
      const RateResult quiet = RunAtRate(app, answerer, dir, rate, duration / 2, false);
      const bool exact = r.logExact && quiet.logExact;
      std::printf("  | %s: %5.1f, %llu, %s, %5.1f ms, %5.1f %%", SwitchesName(on), r.achievedMBps,
                  static_cast<unsigned long long>(r.dropped + quiet.dropped),
                  exact ? "exact" : "DIFFERS", r.stallMs, quiet.cpuPercent);
      lossless[on] = r.dropped + quiet.dropped == 0 && exact;
      if (lossless[on]) best[on] = r.achievedMBps;
    }
    std::printf("\n");
    std::fflush(stdout);
    if (!lossless[0] && !lossless[1]) break;
  }
  std::printf(
      "highest zero-loss rate: %s %.1f MB/s, %s %.1f MB/s (goal >= 30); peak resident memory "
      "%ld MB (goal <= 80)\n",
      SwitchesName(false), best[0], SwitchesName(true), best[1], PeakResidentMB());
  std::printf("messages shown: %d\n", answerer.messages);
  app.DestroyMainDialog();
  vexa::ui::SetAnswerer(nullptr);
  fs::remove_all(dir);
  return 0;
}
