// SPDX-License-Identifier: GPL-3.0-or-later
// The real vexa-run program against a pseudo-terminal standing in for the device.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include "core/codec/Cp932.h"
#include "core/files/CommandFile.h"
#include "core/items/DefaultSet.h"
#include "support/ChildProcess.h"
#include "support/PluggedDevice.h"
#include "support/PseudoTerminal.h"
#include "support/Ser2net.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

constexpr auto kPatience = 20s;

class RunnerProcess : public ::testing::Test {
 protected:
  // A command file for the pseudo-terminal; `settings` are the fields after the port.
  std::string WriteCommandFile(const std::string& items, const std::string& tail = "0,100,8") {
    const std::string path = dir_.File("run.vxp");
    test::WriteFile(path, Utf8ToCp932("Vexa0109,9600,1,なし,CR+LF,CR+LF,0,0,10,\";\"," +
                                      device_.PortPath() + "," + tail + "\n" + items));
    return path;
  }
  ChildProcess Start(std::vector<std::string> arguments,
                     ChildProcess::Stdout stdoutMode = ChildProcess::Stdout::kCollected) {
    return ChildProcess(VEXA_RUN_PATH, arguments, stdoutMode);
  }
  std::string ReadAtDevice(std::size_t count) { return device_.Read(count, 10s); }

  test::TempDir dir_;
  test::PseudoTerminal device_;
};

TEST_F(RunnerProcess, SendsByDescriptionPathTextAndHexWithTerminators) {
  const std::string file = WriteCommandFile(
      "2,1,hello;AT\n2,0,group\n3,1,hello;ATZ\n3,1,reset;AT&F\n", "1,100,8");  // escapes on
  ChildProcess run = Start({file, "--send", "group/hello", "--send", "reset", "--send-text",
                            "A\\x42", "--send-hex", "0d0a", "--for", "0.5"});
  EXPECT_EQ(ReadAtDevice(19), "ATZ\r\nAT&F\r\nAB\r\n\r\n\r\n");
  EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
}

TEST_F(RunnerProcess, UntilMatchesOrTimesOut) {
  const std::string file = WriteCommandFile("2,1,hello;AT\n");
  {
    ChildProcess run = Start({file, "--send", "hello", "--until", "^OK$", "--for", "10"});
    EXPECT_EQ(ReadAtDevice(4), "AT\r\n");
    device_.Write("AT\r\nOK\r\n");
    EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
    EXPECT_EQ(run.Out(), "AT\nOK\n");
  }
  ChildProcess run = Start({file, "--send-text", "X", "--until", "NEVER", "--for", "0.5", "--hex"});
  EXPECT_EQ(ReadAtDevice(3), "X\r\n") << "the port is open";
  device_.Write("ok\r\n");
  EXPECT_EQ(run.Wait(kPatience), 1);
  EXPECT_EQ(run.Out(), "6f6b0d0a\n");
}

// A bench in a CI job: the port on another machine named on the command line, through ser2net.
TEST_F(RunnerProcess, DrivesAPortOnAnotherMachine) {
  test::Ser2net server(device_.PortPath());
  ASSERT_TRUE(server.Running());
  const std::string file =
      WriteCommandFile("0,2561,ring;RING\n2,1,answer;ATA\n", "1,100,8");  // escapes on
  for (const std::string& port : {server.RawName(), server.Rfc2217Name()}) {
    ChildProcess run = Start(
        {file, "--port", port, "--send-text", "AT\\xff", "--until", "^CONNECT$", "--for", "10"});
    EXPECT_EQ(ReadAtDevice(5), "AT\xff\r\n") << port;
    ASSERT_TRUE(test::WaitUntil([&] { return (device_.LineState().c_lflag & ICANON) == 0; }));
    device_.Write("RING\r\n");
    EXPECT_EQ(ReadAtDevice(5), "ATA\r\n") << port;
    device_.Write("CONNECT\r\n");
    EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
    EXPECT_EQ(run.Out(), "RING\nCONNECT\n") << port;
    // ser2net lets the device go only after the connection has closed.
    std::this_thread::sleep_for(300ms);
  }
}

TEST_F(RunnerProcess, AnswersAutomaticallyAndLogsRawBytes) {
  const std::string file = WriteCommandFile("0,2561,ring;RING\n2,1,answer;ATA\n");
  const std::string log = dir_.File("run.log");
  ChildProcess run = Start({file, "--send-text", "X", "--log", log, "--timestamps", "--until",
                            "CONNECT", "--for", "10"});
  EXPECT_EQ(ReadAtDevice(3), "X\r\n") << "the port is open";
  device_.Write(std::string("RING\r\n\0x\r\n\x1b[1m\r\n", 16));
  EXPECT_EQ(ReadAtDevice(5), "ATA\r\n");
  device_.Write("CONNECT\r\n");
  EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
  EXPECT_EQ(test::ReadFile(log), std::string("RING\r\n\0x\r\n\x1b[1m\r\nCONNECT\r\n", 25));
  EXPECT_TRUE(std::regex_search(
      run.Out(), std::regex(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d RING\n)")))
      << run.Out();
  EXPECT_NE(run.Out().find(" .x\n"), std::string::npos) << "NUL shown as a dot";
  EXPECT_NE(run.Out().find(" ␛[1m\n"), std::string::npos) << "control bytes as pictures";
}

TEST_F(RunnerProcess, ShowSentPrintsEveryWriteInItsPlaceWithItsTime) {
  const std::string file = WriteCommandFile("0,2561,ring;RING\n2,1,answer;ATA\n");
  const std::string log = dir_.File("run.log");
  ChildProcess run = Start({file, "--send-text", "AT", "--show-sent", "--timestamps", "--log", log,
                            "--until", "CONNECT", "--for", "10"});
  EXPECT_EQ(ReadAtDevice(4), "AT\r\n");
  device_.Write("RING\r\n");
  EXPECT_EQ(ReadAtDevice(5), "ATA\r\n");
  device_.Write("CONNECT\r\n");
  EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
  const std::string time = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d )";
  EXPECT_TRUE(std::regex_match(run.Out(), std::regex(time + "→ AT\n" + time + "RING\n" + time +
                                                     "↩ ATA\n" + time + "CONNECT\n")))
      << run.Out();
  EXPECT_EQ(test::ReadFile(log), "RING\r\nCONNECT\r\n");
}

TEST_F(RunnerProcess, PeriodicSendsWhileRunning) {
  const std::string file = WriteCommandFile("2,25601,poll;AT\n");  // every 100 ms
  ChildProcess run = Start({file, "--for", "1"});
  std::string seen;
  const auto end = std::chrono::steady_clock::now() + 3s;
  while (std::chrono::steady_clock::now() < end) seen += device_.ReadUntilQuiet(300ms);
  EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
  std::size_t sends = 0;
  for (std::size_t at = 0; (at = seen.find("AT\r\n", at)) != std::string::npos; at += 4) ++sends;
  EXPECT_GE(sends, 5u);
  EXPECT_LE(sends, 11u);
}

TEST_F(RunnerProcess, DeviceLossEndsWithTheWindowsMessage) {
  const std::string file = WriteCommandFile("2,1,hello;AT\n");
  ChildProcess run = Start({file, "--send", "hello", "--for", "10"});
  EXPECT_EQ(ReadAtDevice(4), "AT\r\n") << "the port is open";
  device_.Write("last words\r\n");
  std::this_thread::sleep_for(300ms);
  device_.CloseDevice();
  EXPECT_EQ(run.Wait(kPatience), 2);
  EXPECT_EQ(run.Out(), "last words\n") << "what came before the loss is printed";
  EXPECT_NE(run.Err().find("異常が発生したので通信を終了します(2)。"), std::string::npos)
      << run.Err();
}

// A reader that pauses (a pager, Ctrl+S) costs only output lines: the log gets every byte, the
// losses are told, and the status says data was lost.
TEST_F(RunnerProcess, PausedReaderLosesOnlyOutputLinesAndSaysSo) {
  // The longest record time-out: a slow (sanitized) receive side never cuts a line in two.
  const std::string file = WriteCommandFile("", "0,5000,8");
  const std::string log = dir_.File("run.log");
  ChildProcess run =
      Start({file, "--send-text", "go", "--log", log, "--until", "^END$", "--for", "60"},
            ChildProcess::Stdout::kHeld);
  EXPECT_EQ(ReadAtDevice(4), "go\r\n") << "the port is open";
  constexpr int kLines = 24000;  // 1.5 MB: more than the pipe and the output buffer hold
  constexpr int kLinesPerWrite = 1024;
  auto lineText = [](int i) {
    char number[24];
    std::snprintf(number, sizeof number, "line %06d ", i);
    return number + std::string(50, 'x');
  };
  std::string sent;
  for (int first = 0; first < kLines; first += kLinesPerWrite) {
    std::string chunk;
    for (int i = first; i < std::min(first + kLinesPerWrite, kLines); ++i) {
      chunk += lineText(i) + "\r\n";
    }
    ASSERT_TRUE(device_.Write(chunk));
    sent += chunk;
    // Paced by the log, so that the receive queue never overflows: the log must keep up.
    ASSERT_TRUE(
        test::WaitUntil([&] { return std::filesystem::file_size(log) == sent.size(); }, 10s))
        << "logging waits for the output";
  }
  run.CollectOut();
  device_.Write("END\r\n");
  EXPECT_EQ(run.Wait(kPatience), 3) << run.Err();
  EXPECT_EQ(test::ReadFile(log), sent + "END\r\n");

  std::istringstream printed(run.Out());
  int lines = 0;
  int next = 0;
  for (std::string line; std::getline(printed, line) && line != "END"; ++lines) {
    while (next < kLines && lineText(next) != line) ++next;
    ASSERT_LT(next++, kLines) << "printed lines are whole and in order: " << line;
  }
  std::smatch dropped;
  ASSERT_TRUE(std::regex_search(
      run.Err(), dropped, std::regex(R"(in all (\d+) lines? \((\d+) bytes\) were not printed)")))
      << run.Err();
  EXPECT_GT(lines, 0);
  EXPECT_EQ(lines + std::stoi(dropped[1]), kLines) << run.Err();
  EXPECT_EQ(std::stoll(dropped[2]), 63LL * std::stoi(dropped[1]));
  EXPECT_NE(run.Err().find("the output is not read fast enough"), std::string::npos) << run.Err();
}

// `| head`: the reader closes its end early. No SIGPIPE; with a log the run goes on to its end.
TEST_F(RunnerProcess, ClosedOutputEndsCleanlyAndTheLogGoesOn) {
  const std::string file = WriteCommandFile("");
  const std::string log = dir_.File("run.log");
  for (const bool logging : {false, true}) {
    std::vector<std::string> arguments = {file,    "--send-text", "go", "--until",
                                          "^END$", "--for",       "60"};
    if (logging) arguments.insert(arguments.end(), {"--log", log});
    ChildProcess run = Start(arguments, ChildProcess::Stdout::kHeld);
    EXPECT_EQ(ReadAtDevice(4), "go\r\n") << "the port is open";
    device_.Write("one\r\n");
    run.CloseOut();
    device_.Write("two\r\n");  // its output finds the reader gone
    if (logging) {
      ASSERT_TRUE(test::WaitUntil([&] { return test::ReadFile(log) == "one\r\ntwo\r\n"; }));
      std::this_thread::sleep_for(200ms);
      device_.Write("three\r\nEND\r\n");
    }
    EXPECT_EQ(run.Wait(kPatience), 0) << "logging " << logging << ": " << run.Err();
    if (logging) {
      EXPECT_EQ(test::ReadFile(log), "one\r\ntwo\r\nthree\r\nEND\r\n");
    }
  }
}

// Everything the device says arrives until `text` is among it, or the time is up.
std::string ReadUntilSeen(test::PseudoTerminal& device, const std::string& text) {
  std::string seen;
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (seen.find(text) == std::string::npos && std::chrono::steady_clock::now() < end) {
    seen += device.Read(1, 100ms);
  }
  return seen;
}

TEST_F(RunnerProcess, ReconnectGoesOnWhenTheDeviceComesBackUnderItsName) {
  test::PluggedDevice plugged(dir_.File("usb-Maker_Adapter_0001-if00-port0"));
  const std::string file = WriteCommandFile("2,25601,poll;P\n0,2561,ring;RING\n2,1,answer;ATA\n");
  const std::string log = dir_.File("run.log");
  ChildProcess run = Start({file, "--port", plugged.Path(), "--reconnect", "--log", log, "--until",
                            "^DONE$", "--for", "20"});
  ASSERT_NE(ReadUntilSeen(plugged.Device(), "P\r\n").find("P\r\n"), std::string::npos);
  plugged.Device().Write("one\r\ntwo\r\n");
  // A hang-up drops what the port side has not read yet.
  std::this_thread::sleep_for(300ms);
  plugged.Unplug();
  std::this_thread::sleep_for(700ms);
  plugged.Plug();
  EXPECT_NE(ReadUntilSeen(plugged.Device(), "P\r\n").find("P\r\n"), std::string::npos)
      << "periodic sends resume";
  plugged.Device().Write("RING\r\n");
  EXPECT_NE(ReadUntilSeen(plugged.Device(), "ATA\r\n").find("ATA\r\n"), std::string::npos)
      << "automatic answers resume";
  plugged.Device().Write("three\r\nDONE\r\n");
  EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
  EXPECT_EQ(run.Out(), "one\ntwo\nRING\nthree\nDONE\n");
  EXPECT_EQ(test::ReadFile(log), "one\r\ntwo\r\nRING\r\nthree\r\nDONE\r\n");
  EXPECT_TRUE(std::regex_search(run.Err(), std::regex("再接続待ち\\(" + plugged.Path() +
                                                      "\\)\n(.*\n)?--- 再接続 "
                                                      "\\d\\d:\\d\\d:\\d\\d ---\n")))
      << run.Err();
}

TEST_F(RunnerProcess, ReconnectWaitEndsWithTheRun) {
  test::PluggedDevice plugged(dir_.File("by-id"));
  const std::string file = WriteCommandFile("2,1,hello;AT\n");
  ChildProcess run =
      Start({file, "--port", plugged.Path(), "--reconnect", "--send", "hello", "--for", "1.5"});
  EXPECT_EQ(plugged.Device().Read(4, 10s), "AT\r\n") << "the port is open";
  const auto start = std::chrono::steady_clock::now();
  plugged.Unplug();
  EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << "--for counts the gap";
}

TEST_F(RunnerProcess, DumpsTheBuiltInSet) {
  CommandTree tree;
  LoadItemsFromText(tree, DefaultCommandSetText(), kDefaultCommSettings);
  const std::string file = dir_.File("default.vxp");
  ASSERT_EQ(SaveCommandFile(file, kDefaultCommSettings, tree), SaveResult::kOk);
  ChildProcess run = Start({file, "--dump"});
  EXPECT_EQ(run.Wait(kPatience), 0) << run.Err();
  EXPECT_EQ(std::count(run.Out().begin(), run.Out().end(), '\n'), 202);
  EXPECT_EQ(run.Out().substr(0, run.Out().find('\n')), "2\ttext\t-\t-\t御機嫌伺い;AT");
}

TEST_F(RunnerProcess, RefusesBadArgumentsFilesPortsAndNames) {
  const std::string file = WriteCommandFile("2,1,hello;AT\n2,0,g\n3,1,hello;ATZ\n");
  const std::string bad = dir_.File("bad.vxp");
  test::WriteFile(bad, "not a command file\n");
  const std::string fifo = dir_.File("fifo.vxp");  // nobody opens its other end
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{}, "a command file (.vxp) is needed"},
      {{file, "--for"}, "--for needs a value"},
      {{dir_.File("missing.vxp")}, "ﾌｧｲﾙがｵｰﾌﾟﾝできません。"},
      {{bad}, "ﾌｧｲﾙの内容が不正です。"},
      {{fifo}, "ﾌｧｲﾙがｵｰﾌﾟﾝできません。"},
      {{fifo, "--dump"}, "ﾌｧｲﾙがｵｰﾌﾟﾝできません。"},
      {{file, "--log", fifo}, "ﾛｸﾞﾌｧｲﾙがｵｰﾌﾟﾝできません"},
      {{file, "--port", fifo}, "がｵｰﾌﾟﾝできません。"},
      {{file, "--port", "/dev/null"}, "\"/dev/null\"がｵｰﾌﾟﾝできません。"},
      {{file, "--port", "/nonexistent/tty"}, "\"/nonexistent/tty\"がｵｰﾌﾟﾝできません。"},
      {{file, "--send", "hello"}, "several items named \"hello\":\n  hello\n  g/hello"},
      {{file, "--send", "nothing"}, "no item named \"nothing\""},
      {{file, "--send", "g"}, "\"g\" has no command data"},
      {{file, "--send-hex", "0G"}, "「0G」 は16進数にできません。"},
  };
  for (const Case& c : cases) {
    ChildProcess run = Start(c.arguments);
    EXPECT_EQ(run.Wait(kPatience), 2) << c.message;
    EXPECT_NE(run.Err().find(c.message), std::string::npos) << run.Err();
  }
}

}  // namespace
}  // namespace vexa
