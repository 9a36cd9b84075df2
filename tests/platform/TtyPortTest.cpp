// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TtyPort.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "platform/KernelTermios.h"
#include "support/PseudoTerminal.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;

termios CurrentTermios(const TtyPort& port) {
  termios t{};
  EXPECT_EQ(tcgetattr(port.Descriptor(), &t), 0);
  return t;
}

TEST(MakeRawTermios, FrameFlagsForEachSetting) {
  struct Row {
    LineSettings line;
    tcflag_t expected;  // of CSIZE | PARENB | PARODD | CMSPAR | CSTOPB
  };
  const Row rows[] = {
      {{9600, 0, 0, 8}, CS8},
      {{9600, 0, 0, 7}, CS7},
      {{9600, 0, 0, 6}, CS6},
      {{9600, 0, 0, 5}, CS5},
      {{9600, 0, 0, 4}, CS8},  // no UART has 4: the setting is refused, 8 stays
      {{9600, 0, 1, 8}, CS8 | PARENB | PARODD},
      {{9600, 0, 2, 8}, CS8 | PARENB},
      {{9600, 0, 3, 8}, CS8 | PARENB | CMSPAR | PARODD},
      {{9600, 0, 4, 8}, CS8 | PARENB | CMSPAR},
      {{9600, 0, 9, 8}, CS8 | PARENB | CMSPAR},  // any other index is space
      {{9600, 1, 0, 5}, CS5 | CSTOPB},           // 1.5 stop bits
      {{9600, 2, 0, 8}, CS8 | CSTOPB},
  };
  for (const Row& row : rows) {
    termios t{};
    t.c_cflag = CRTSCTS | PARENB | CSTOPB;  // leftovers of a previous user
    t.c_iflag = IXON | IXOFF | IXANY | ICRNL;
    t.c_lflag = ICANON | ECHO;
    MakeRawTermios(t, row.line);
    SCOPED_TRACE(testing::Message() << "parity " << row.line.parity << " data " << row.line.dataBits
                                    << " stop " << row.line.stopBits);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), row.expected);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
  }
}

TEST(WriteTimeLimit, TwoSecondsPlusTheBytesAtLineSpeed) {
  EXPECT_EQ(WriteTimeLimit(0, {9600, 0, 0, 8}), 2000ms);
  EXPECT_EQ(WriteTimeLimit(960, {9600, 0, 0, 8}), 3000ms);     // 10 bits a byte
  EXPECT_EQ(WriteTimeLimit(800, {9600, 2, 2, 8}), 3000ms);     // 12 bits a byte
  EXPECT_EQ(WriteTimeLimit(1, {115200, 0, 0, 8}), 2001ms);     // rounded up
  EXPECT_EQ(WriteTimeLimit(10, {0, 0, 0, 8}), 2000ms + 100s);  // no speed: 1 bit/s
}

// A pseudo-terminal keeps the speed, the stop bits, odd/mark/space selection and the raw-mode
// flags; it forces 8 data bits and clears PARENB, so those are covered above.
TEST(TtyPort, PseudoTerminalKeepsEachLineSetting) {
  struct Row {
    LineSettings line;
    tcflag_t kept;  // of PARODD | CMSPAR | CSTOPB
  };
  const Row rows[] = {
      {{9600, 0, 0, 8}, 0},
      {{115200, 2, 0, 8}, CSTOPB},
      {{14400, 0, 1, 8}, PARODD},            // no B14400: set through BOTHER
      {{128000, 0, 3, 8}, CMSPAR | PARODD},  // mark
      {{256000, 1, 4, 8}, CMSPAR | CSTOPB},  // space, 1.5 stop bits
      {{3000000, 0, 2, 8}, 0},
  };
  test::PseudoTerminal pty;
  ASSERT_TRUE(pty.IsValid());
  // Leftovers of an earlier user that raw mode must clear.
  const int other = open(pty.PortPath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  termios hostile{};
  ASSERT_EQ(tcgetattr(other, &hostile), 0);
  hostile.c_cflag = (hostile.c_cflag | CRTSCTS) & ~CLOCAL;
  hostile.c_iflag |= IXON | IXOFF | IXANY | ICRNL | INLCR;
  hostile.c_oflag |= OPOST;
  hostile.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
  hostile.c_cc[VMIN] = 1;
  ASSERT_EQ(tcsetattr(other, TCSANOW, &hostile), 0);
  close(other);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line.baudRate);
    TtyPort port;
    ASSERT_EQ(port.Open(pty.PortPath(), row.line), IoStatus::kOk);
    EXPECT_EQ(ReadSpeed(port.Descriptor()), static_cast<std::uint32_t>(row.line.baudRate));
    const termios t = CurrentTermios(port);
    EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR | CSTOPB), row.kept);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
  }
}

TEST(TtyPort, RestoresTheLineStateItFound) {
  test::PseudoTerminal pty;
  ASSERT_TRUE(pty.IsValid());
  const int other = open(pty.PortPath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_TRUE(SetAnySpeed(other, 14400));
  termios before{};
  ASSERT_EQ(tcgetattr(other, &before), 0);
  {
    TtyPort port;
    ASSERT_EQ(port.Open(pty.PortPath(), {115200, 2, 3, 8}), IoStatus::kOk);
    ASSERT_NE(CurrentTermios(port).c_lflag, before.c_lflag);
  }
  termios after{};
  ASSERT_EQ(tcgetattr(other, &after), 0);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(ReadSpeed(other), 14400u);
  close(other);
}

TEST(TtyPort, SecondOpenFailsInThisAndInAnotherProcess) {
  test::PseudoTerminal pty;
  ASSERT_TRUE(pty.IsValid());
  TtyPort first;
  ASSERT_EQ(first.Open(pty.PortPath(), {}), IoStatus::kOk);

  TtyPort second;
  EXPECT_EQ(second.Open(pty.PortPath(), {}), IoStatus::kBusy);
  EXPECT_FALSE(second.IsOpen());

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    TtyPort other;
    _exit(other.Open(pty.PortPath(), {}) == IoStatus::kBusy ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process opened it";

  first.Close();
  EXPECT_EQ(second.Open(pty.PortPath(), {}), IoStatus::kOk);
}

TEST(TtyPort, OpenFailures) {
  TtyPort port;
  EXPECT_EQ(port.Open("/dev/does-not-exist-vexa", {}), IoStatus::kNotFound);
  char name[] = "/tmp/vexa-not-a-tty-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  // Never opened read-write at all: /dev/null stands for any device that is no terminal.
  for (const char* notATerminal : {static_cast<const char*>(name), "/dev/null", "/tmp"}) {
    EXPECT_EQ(port.Open(notATerminal, {}), IoStatus::kNotSupported) << notATerminal;
    EXPECT_FALSE(port.IsOpen());
  }
  close(fd);
  std::remove(name);
}

TEST(TtyPort, DiscardsInputThatArrivedBeforeOpening) {
  test::PseudoTerminal pty;
  ASSERT_TRUE(pty.IsValid());
  ASSERT_TRUE(pty.Write("stale"));
  std::this_thread::sleep_for(50ms);
  TtyPort port;
  ASSERT_EQ(port.Open(pty.PortPath(), {}), IoStatus::kOk);
  ASSERT_TRUE(pty.Write("new"));
  std::this_thread::sleep_for(50ms);
  const IoCount queued = port.QueuedBytes();
  ASSERT_EQ(queued.status, IoStatus::kOk);
  ASSERT_EQ(queued.count, 3u);
  char buffer[16];
  const IoCount read = port.Read(buffer, 2);
  EXPECT_EQ(read.status, IoStatus::kOk);
  EXPECT_EQ(std::string(buffer, read.count), "ne") << "never more than asked";
}

TEST(TtyPort, WriteThatCannotCompleteFailsAtItsLimit) {
  test::PseudoTerminal pty;  // the device side never reads
  ASSERT_TRUE(pty.IsValid());
  TtyPort port;
  ASSERT_EQ(port.Open(pty.PortPath(), {}), IoStatus::kOk);
  const std::string block(1 << 20, 'x');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.WriteAll(block, 300ms), IoStatus::kTimedOut);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 300ms);
  EXPECT_LT(took, 3s);
}

TEST(TtyPort, ReportsTheDeviceGone) {
  test::PseudoTerminal pty;
  ASSERT_TRUE(pty.IsValid());
  TtyPort port;
  ASSERT_EQ(port.Open(pty.PortPath(), {}), IoStatus::kOk);
  pty.CloseDevice();
  EXPECT_EQ(port.QueuedBytes().status, IoStatus::kDeviceLost);
  char byte;
  EXPECT_EQ(port.Read(&byte, 1).status, IoStatus::kDeviceLost);
  EXPECT_NE(port.WriteAll("x", 100ms), IoStatus::kOk);
}

}  // namespace
}  // namespace vexa
