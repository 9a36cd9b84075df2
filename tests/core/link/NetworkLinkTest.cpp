// SPDX-License-Identifier: GPL-3.0-or-later
// Serial ports on another machine, against the real ser2net with a pseudo-terminal as its
// device: the same framing, answers and log as a local port.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "core/workspace/Workspace.h"
#include "support/PseudoTerminal.h"
#include "support/Ser2net.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

class Notices : public LinkNotifier {
 public:
  void RecordsReady() override {}
  void SendFailed() override {}
  void DeviceLost() override { lost = true; }
  void AnswerTimerFailed() override {}
  std::atomic<bool> lost{false};
};

class Lines : public ReceivedLineSink {
 public:
  void ShowReceivedLine(std::string_view line, WallTime) override { shown.emplace_back(line); }
  void ShowSentLine(std::string_view, const RecordTag&) override {}
  std::vector<std::string> shown;
};

class NetworkLink : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device_.IsValid());
    ASSERT_TRUE(server_.Running()) << "ser2net (" << VEXA_SER2NET_PATH << ") did not start";
    work_.Settings().portName = Rfc2217() ? server_.Rfc2217Name() : server_.RawName();
    work_.Settings().formatTag = kCurrentFormatTag;
  }
  void TearDown() override { work_.Disconnect(); }

  static bool Rfc2217() { return GetParam(); }
  void Connect() {
    ASSERT_EQ(work_.Connect(), OpenResult::kOk) << work_.Settings().portName;
    work_.StartSending();
    ASSERT_TRUE(ServerHasTheDevice(device_));
  }
  // ser2net opens the device for a connection: bytes the device sent before it put the line
  // into raw mode would meet a cooked line discipline.
  static bool ServerHasTheDevice(const test::PseudoTerminal& device) {
    return test::WaitUntil([&] { return (device.LineState().c_lflag & ICANON) == 0; });
  }
  bool DrainUntil(std::size_t lines) {
    return test::WaitUntil([&] {
      work_.DrainReceived(lines_);
      return lines_.shown.size() >= lines;
    });
  }

  test::PseudoTerminal device_;
  test::Ser2net server_{device_.PortPath()};
  CommandTree tree_;
  Notices notices_;
  Workspace work_{tree_, notices_};
  Lines lines_;
};

TEST_P(NetworkLink, BytesPassBothWaysUnchangedAndAnswersGoBack) {
  LoadItemsFromText(tree_, "0,257,ring;RING\n2,1,answer;AT\\xff\n"s, work_.Settings());
  work_.Settings().useEscapes = 1;
  work_.RevalidateItems();
  Connect();
  ASSERT_EQ(work_.SendText("FF00FFFF0D", kKindHex).outcome, SendOutcome::kOk);
  EXPECT_EQ(device_.Read(7, 5s), "\xff\x00\xff\xff\r\r\n"s);

  ASSERT_TRUE(device_.Write("A\xff\x00\xff\xffZ\r\nRING\r\n"s));
  ASSERT_TRUE(DrainUntil(2));
  EXPECT_EQ(lines_.shown, (std::vector<std::string>{"A\xff\x00\xff\xffZ\r\n"s, "RING\r\n"}));
  EXPECT_EQ(device_.Read(5, 5s), "AT\xff\r\n") << "the automatic answer";
}

TEST_P(NetworkLink, StoppingTheServerIsADeviceLossWithEverythingBeforeLogged) {
  test::TempDir dir;
  ASSERT_TRUE(work_.OpenLog(dir.File("n.log")));
  Connect();
  ASSERT_TRUE(device_.Write("one\r\ntwo\r\nthr"));
  ASSERT_TRUE(DrainUntil(2));
  std::this_thread::sleep_for(200ms);  // ser2net has passed the rest on meanwhile
  server_.Stop();
  ASSERT_TRUE(test::WaitUntil([&] { return notices_.lost.load(); }));
  work_.DrainReceived(lines_);
  EXPECT_EQ(lines_.shown, (std::vector<std::string>{"one\r\n", "two\r\n", "thr"}));
  work_.Disconnect();
  work_.CloseLog();
  EXPECT_EQ(test::ReadFile(dir.File("n.log")), "one\r\ntwo\r\nthr");
}

// With reconnection the connection is tried again until the server is back.
TEST_P(NetworkLink, WithReconnectionAServerThatComesBackIsConnectedAgain) {
  work_.SetReconnect(true);
  Connect();
  server_.Stop();
  ASSERT_TRUE(test::WaitUntil([&] { return work_.FollowLink() == LinkChange::kWaiting; }));
  server_.Restart();
  ASSERT_TRUE(server_.Running());
  ASSERT_TRUE(test::WaitUntil([&] { return work_.FollowLink() == LinkChange::kReconnected; }));
  EXPECT_EQ(work_.SendText("back", kKindText).outcome, SendOutcome::kOk);
  EXPECT_EQ(device_.Read(6, 5s), "back\r\n");
  EXPECT_FALSE(notices_.lost.load());
}

INSTANTIATE_TEST_SUITE_P(RawAndRfc2217, NetworkLink, ::testing::Bool(),
                         [](const auto& test) { return test.param ? "Rfc2217" : "Raw"; });

// The line settings travel as com-port commands, at connect time and when they change.
TEST(NetworkLinkRfc2217, LineSettingsReachTheDevice) {
  test::PseudoTerminal device;
  test::Ser2net server(device.PortPath());
  ASSERT_TRUE(server.Running());
  CommandTree tree;
  Notices notices;
  Workspace work(tree, notices);
  CommSettings settings = work.Settings();
  settings.portName = server.Rfc2217Name();
  settings.baudRate = 19200;
  settings.parity = 1;  // odd (a pseudo-terminal keeps PARODD, not PARENB)
  settings.stopBits = 2;
  work.SetSettings(settings);
  ASSERT_EQ(work.Connect(), OpenResult::kOk);
  EXPECT_TRUE(test::WaitUntil([&] {
    const termios state = device.LineState();
    return cfgetospeed(&state) == B19200 &&
           (state.c_cflag & (PARODD | CSTOPB)) == (PARODD | CSTOPB);
  })) << "at connect";

  settings.baudRate = 57600;
  settings.stopBits = 0;
  work.StartSending();
  work.SetSettings(settings);
  EXPECT_TRUE(test::WaitUntil([&] {
    const termios state = device.LineState();
    return cfgetospeed(&state) == B57600 && (state.c_cflag & CSTOPB) == 0;
  })) << "while connected";
  work.Disconnect();
}

TEST(NetworkLinkOpen, NamesThatLeadNowhereFailWithinTheLimitAndChangeNothing) {
  CommandTree tree;
  Notices notices;
  Workspace work(tree, notices);
  const std::string names[] = {
      "tcp://127.0.0.1:" + std::to_string(test::Ser2net::FreePort()),  // refused
      "rfc2217://vexa-no-such-host.invalid:2001",                      // does not resolve
  };
  for (const std::string& name : names) {
    work.Settings().portName = name;
    const CommSettings before = work.Settings();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(work.Connect(), OpenResult::kFailed) << name;
    EXPECT_LE(std::chrono::steady_clock::now() - start, kNetworkConnectLimit + 500ms) << name;
    EXPECT_FALSE(work.Session().IsOpen());
    EXPECT_EQ(work.Settings(), before);
  }
}

}  // namespace
}  // namespace vexa
