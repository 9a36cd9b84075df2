// SPDX-License-Identifier: GPL-3.0-or-later
// The real vexa-tasim program, started as a child process and driven through its
// pseudo-terminal as a terminal program would.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// Generous: the machine is shared and may be slow.
constexpr auto kPatience = 10s;

int MillisLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long>(left.count(), 0));
}

// Reads what `fd` delivers until `done` holds for it or the time is up.
template <typename Done>
std::string ReadUntil(int fd, Done done, std::chrono::milliseconds patience = kPatience) {
  const auto deadline = Clock::now() + patience;
  std::string text;
  while (!done(text)) {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, MillisLeft(deadline)) <= 0) break;
    char buffer[1024];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

std::string ReadUntilText(int fd, const std::string& needle,
                          std::chrono::milliseconds patience = kPatience) {
  return ReadUntil(
      fd, [&](const std::string& text) { return text.find(needle) != std::string::npos; },
      patience);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class TasimProcess {
 public:
  explicit TasimProcess(const std::vector<std::string>& arguments) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> words = {VEXA_TASIM_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, VEXA_TASIM_PATH, &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    stdout_ = out[0];
    stderr_ = err[0];
  }
  ~TasimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(stdout_);
    close(stderr_);
  }

  bool started() const { return pid_ > 0; }
  // The start line names the link once it is in place.
  std::string WaitUntilReady() { return ReadUntilText(stdout_, "linked as"); }
  void Signal(int number) { kill(pid_, number); }
  bool Running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  std::string Stderr() {
    return ReadUntil(
        stderr_, [](const std::string&) { return false; }, 2s);
  }

  // The exit code, or nullopt when it did not end in time or ended by a signal.
  std::optional<int> WaitForExit() {
    const auto deadline = Clock::now() + kPatience;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(20ms);
    }
    pid_ = -1;
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
  }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
  int stderr_ = -1;
};

// The device as a terminal program opens it.
class Terminal {
 public:
  explicit Terminal(const fs::path& device)
      : fd_(open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    termios settings{};
    if (fd_ >= 0 && tcgetattr(fd_, &settings) == 0) {
      cfmakeraw(&settings);
      tcsetattr(fd_, TCSANOW, &settings);
    }
  }
  ~Terminal() { Close(); }
  bool is_open() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  void Send(const std::string& bytes) {
    ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string ReadUntil(const std::string& needle, std::chrono::milliseconds patience = kPatience) {
    return ReadUntilText(fd_, needle, patience);
  }

 private:
  int fd_;
};

class TasimProgram : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-tasim-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory_ = pattern;
    link_ = directory_ / "ta";
  }
  void TearDown() override { fs::remove_all(directory_); }

  // A running simulator with its link in place.
  std::unique_ptr<TasimProcess> Start(std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), {"--link", link_.string()});
    auto process = std::make_unique<TasimProcess>(extra);
    EXPECT_TRUE(process->started());
    const std::string banner = process->WaitUntilReady();
    EXPECT_NE(banner.find("/dev/pts/"), std::string::npos) << banner;
    EXPECT_TRUE(fs::is_symlink(link_)) << banner;
    return process;
  }

  fs::path directory_;
  fs::path link_;
};

TEST_F(TasimProgram, AnswersAndEndsWhenTheTerminalCloses) {
  auto process = Start();
  Terminal terminal(link_);
  ASSERT_TRUE(terminal.is_open());
  terminal.Send("AT\r\n");
  EXPECT_EQ(terminal.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n");
  terminal.Send("ATE0I4\r");
  EXPECT_EQ(terminal.ReadUntil("OK\r\n"),
            "ATE0I4\r\r\nVEXA SIMULATED ISDN TERMINAL ADAPTER\r\n\r\nOK\r\n");
  terminal.Close();
  EXPECT_EQ(process->WaitForExit(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link_))) << "the link is removed";
}

TEST_F(TasimProgram, KeepWaitsForTheNextTerminalWithAFreshAdapter) {
  auto process = Start({"--keep"});
  {
    Terminal first(link_);
    first.Send("ATE0\r");
    EXPECT_EQ(first.ReadUntil("OK\r\n"), "ATE0\r\r\nOK\r\n");
    first.Send("ATI4\r");  // its answer is left unread
  }
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(process->Running());
  EXPECT_TRUE(fs::is_symlink(link_));

  Terminal second(link_);
  ASSERT_TRUE(second.is_open());
  second.Send("AT\r");
  EXPECT_EQ(second.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n")
      << "echo is on again and nothing of the first terminal's is left";
}

TEST_F(TasimProgram, KeepAnswersATerminalThatReopensAtOnce) {
  auto process = Start({"--keep"});
  for (int round = 0; round < 5; ++round) {
    Terminal terminal(link_);
    ASSERT_TRUE(terminal.is_open()) << round;
    terminal.Send("AT\r");
    EXPECT_EQ(terminal.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n") << round;
  }
  EXPECT_TRUE(process->Running());
}

TEST_F(TasimProgram, KeepEndsOnASignalWhileNobodyHasTheDevice) {
  auto process = Start({"--keep"});
  {
    Terminal terminal(link_);
    terminal.Send("AT\r");
    terminal.ReadUntil("OK\r\n");
  }
  std::this_thread::sleep_for(100ms);
  process->Signal(SIGTERM);
  EXPECT_EQ(process->WaitForExit(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
}

TEST_F(TasimProgram, StopsOnSignalsAndRemovesTheLink) {
  for (const int number : {SIGINT, SIGTERM}) {
    for (const bool withTerminal : {false, true}) {
      auto process = Start();
      std::optional<Terminal> terminal;
      if (withTerminal) {
        terminal.emplace(link_);
        terminal->Send("AT\r");
        terminal->ReadUntil("OK\r\n");
      }
      process->Signal(number);
      EXPECT_EQ(process->WaitForExit(), 0) << strsignal(number) << " " << withTerminal;
      EXPECT_FALSE(fs::exists(fs::symlink_status(link_))) << strsignal(number);
    }
  }
}

TEST_F(TasimProgram, RefusesANameThatIsNotItsLink) {
  { std::ofstream(link_) << "keep me"; }
  {
    TasimProcess process({"--link", link_.string()});
    EXPECT_EQ(process.WaitForExit(), 1);
    EXPECT_NE(process.Stderr().find(link_.string() + " exists and is not a symbolic link"),
              std::string::npos);
  }
  EXPECT_EQ(ReadFile(link_), "keep me");
  fs::remove(link_);

  fs::create_directory(link_);
  {
    TasimProcess process({"--link", link_.string()});
    EXPECT_EQ(process.WaitForExit(), 1);
    EXPECT_NE(process.Stderr().find("is a directory"), std::string::npos);
  }
  EXPECT_TRUE(fs::is_directory(link_));
  fs::remove(link_);

  TasimProcess nowhere({"--link", (directory_ / "missing" / "ta").string()});
  EXPECT_EQ(nowhere.WaitForExit(), 1);
  EXPECT_NE(nowhere.Stderr().find("No such file or directory"), std::string::npos);
}

TEST_F(TasimProgram, RefusesAnotherUsersLink) {
  fs::create_symlink("/dev/null", link_);
  if (lchown(link_.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "needs root to give a link away";
  TasimProcess process({"--link", link_.string()});
  EXPECT_EQ(process.WaitForExit(), 1);
  EXPECT_NE(process.Stderr().find("symbolic link of another user (uid 65534)"), std::string::npos);
  EXPECT_EQ(fs::read_symlink(link_), "/dev/null");
}

TEST_F(TasimProgram, ReplacesItsOwnLeftOverLink) {
  fs::create_symlink("/dev/pts/left-over", link_);
  auto process = Start();
  EXPECT_TRUE(fs::read_symlink(link_).string().starts_with("/dev/pts/"));
  EXPECT_NE(fs::read_symlink(link_), "/dev/pts/left-over");
  process->Signal(SIGTERM);
  EXPECT_EQ(process->WaitForExit(), 0);
}

TEST_F(TasimProgram, DialsEscapesAndHangsUpInRealTime) {
  auto process = Start();
  Terminal terminal(link_);
  terminal.Send("ATE0D0312345678\r\n");
  EXPECT_EQ(terminal.ReadUntil("CONNECT\r\n"), "ATE0D0312345678\r\r\nCONNECT\r\n");
  terminal.Send("hello");
  EXPECT_EQ(terminal.ReadUntil("hello"), "hello");
  std::this_thread::sleep_for(1100ms);
  const auto escaped = Clock::now();
  terminal.Send("+++");
  EXPECT_EQ(terminal.ReadUntil("OK\r\n"), "+++\r\nOK\r\n");
  EXPECT_GE(Clock::now() - escaped, 900ms) << "OK only after the guard time";
  terminal.Send("ATH\r");
  EXPECT_EQ(terminal.ReadUntil("OK\r\n"), "\r\nOK\r\n");
}

TEST_F(TasimProgram, RingsAndAnswersByItself) {
  auto process = Start({"--ring", "1"});
  Terminal terminal(link_);
  terminal.Send("ATE0S0=2\r");
  EXPECT_EQ(terminal.ReadUntil("OK\r\n"), "ATE0S0=2\r\r\nOK\r\n");
  EXPECT_EQ(terminal.ReadUntil("CONNECT\r\n"), "\r\nRING\r\n\r\nRING\r\n\r\nCONNECT\r\n");
}

TEST(TasimCommandLine, HelpAndMistakes) {
  TasimProcess help({"--help"});
  EXPECT_EQ(help.WaitForExit(), 0);
  for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--ring", "0"},
                                                {"--ring=1.5"},
                                                {"--link"},
                                                {"--keep=1"},
                                                {"--colour"}}) {
    TasimProcess process(wrong);
    EXPECT_EQ(process.WaitForExit(), 2) << wrong[0];
    EXPECT_NE(process.Stderr().find("Try 'vexa-tasim --help'"), std::string::npos) << wrong[0];
  }
}

}  // namespace
