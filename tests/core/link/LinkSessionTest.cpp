// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/LinkSession.h"
#include "platform/ThreadPriority.h"
#include "platform/TtyPort.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "support/PluggedDevice.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::WaitUntil;

// Records what the session tells its owner, in order.
class RecordingNotifier : public LinkNotifier {
 public:
  void RecordsReady() override { Log("records"); }
  void SendFailed() override { Log("send-failed"); }
  void DeviceLost() override {
    lostAt_ = Clock::now();
    Log("lost");
  }
  void AnswerTimerFailed() override { Log("answer-timer-failed"); }

  std::vector<std::string> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  int Count(const std::string& event) {
    const std::vector<std::string> all = Events();
    return static_cast<int>(std::count(all.begin(), all.end(), event));
  }
  Clock::time_point LostAt() {
    std::lock_guard lock(mutex_);
    return lostAt_;
  }

 private:
  void Log(const char* event) {
    std::lock_guard lock(mutex_);
    events_.emplace_back(event);
  }
  std::mutex mutex_;
  std::vector<std::string> events_;
  Clock::time_point lostAt_;
};

class SessionOnPty : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.IsValid());
    settings_.portName = pty_.PortPath();
    settings_.baudRate = 3000000;
    settings_.receiveTimeout = 50;
  }
  void TearDown() override { session_.Disconnect(); }

  void Connect() {
    ASSERT_EQ(session_.Open(settings_), OpenResult::kOk);
    session_.StartSending();
  }
  CAttr& AddItem(const std::string& send, const std::string& answerTo, std::int32_t period,
                 std::int32_t delay) {
    auto record = std::make_unique<CAttr>();
    record->sendKind = kKindText;
    record->sendText = send;
    record->BuildSendBytes("", false);
    record->receiveKind = kKindText;
    record->receiveText = answerTo;
    record->BuildReceiveBytes(false);
    record->repeatPeriod = period;
    record->answerDelay = delay;
    return *tree_.Record(tree_.AppendItem(nullptr, std::move(record)));
  }
  // What the window does with queued records: lines, each one answered.
  void Drain() {
    lastDrain_ = Clock::now();
    session_.DrainReceived([&](std::string_view record) {
      SplitReceivedRecord(record, settings_.receiveTerminator, [&](std::string_view line) {
        lines_.emplace_back(line);
        session_.AnswerReceivedLine(line);
      });
    });
  }
  bool DrainUntil(std::size_t lineCount, std::chrono::milliseconds limit = 5s) {
    return WaitUntil(
        [&] {
          Drain();
          return lines_.size() >= lineCount;
        },
        limit);
  }

  test::PseudoTerminal pty_;
  CommandTree tree_;
  RecordingNotifier notifier_;
  // The classic 64 KiB queue, whose overflow the tests below count exactly.
  LinkSession session_{tree_, notifier_, {}, 65536};
  CommSettings settings_;
  std::vector<std::string> lines_;
  Clock::time_point lastDrain_;  // when the latest Drain began
};

TEST_F(SessionOnPty, RecordsReachTheOwnerAsLines) {
  Connect();
  ASSERT_TRUE(pty_.Write("OK\r\nAT\r\r\nX"));
  ASSERT_TRUE(DrainUntil(3));
  EXPECT_EQ(lines_, (std::vector<std::string>{"OK\r\n", "AT\r\r\n", "X"}));
  EXPECT_GE(notifier_.Count("records"), 1);
}

// Without an answer waiting, records that follow each other closely are announced together;
// the last of them must not wait for more input to be announced.
TEST_F(SessionOnPty, ARecordAfterTheLastAnnouncementIsStillAnnouncedWithoutMoreInput) {
  Connect();
  int drainedUpTo = 0;
  const auto drainWhenAnnounced = [&] {
    if (const int announced = notifier_.Count("records"); announced > drainedUpTo) {
      drainedUpTo = announced;
      Drain();
    }
  };
  for (const char* line : {"1\r\n", "2\r\n", "3\r\n"}) {
    ASSERT_TRUE(pty_.Write(line));
    std::this_thread::sleep_for(1ms);
    drainWhenAnnounced();
  }
  EXPECT_TRUE(WaitUntil([&] {
    drainWhenAnnounced();
    return lines_.size() == 3;
  }));
  EXPECT_EQ(lines_, (std::vector<std::string>{"1\r\n", "2\r\n", "3\r\n"}));
}

// An owner that shows lines seldom asks to hear of a stream seldom, and still gets all of it.
TEST_F(SessionOnPty, AStreamIsAnnouncedNoMoreOftenThanTheOwnerAsks) {
  constexpr auto kWindow = 300ms;
  session_.SetAnnounceWindow(kWindow);
  Connect();
  const auto start = Clock::now();
  int drainedUpTo = 0;
  std::vector<std::string> expected;
  for (int i = 0; i < 60; ++i) {
    expected.push_back(std::to_string(i) + "\r\n");
    ASSERT_TRUE(pty_.Write(expected.back()));
    std::this_thread::sleep_for(10ms);
    if (const int announced = notifier_.Count("records"); announced > drainedUpTo) {
      drainedUpTo = announced;
      Drain();  // an announcement comes only after a drain
    }
  }
  ASSERT_TRUE(DrainUntil(expected.size()));
  EXPECT_EQ(lines_, expected);
  const auto windows = static_cast<int>((Clock::now() - start) / kWindow);
  EXPECT_LE(notifier_.Count("records"), windows + 2);  // 20 ms windows would make about 30
}

// A sent line written while received lines wait for their announcement goes with them; on a
// quiet link it is announced at once.
TEST_F(SessionOnPty, ASentLineJoinsTheAnnouncementOfWaitingLines) {
  session_.SetAnnounceWindow(2s);
  session_.SetSentRecording(true);
  Connect();
  ASSERT_TRUE(pty_.Write("1\r\n"));
  ASSERT_TRUE(DrainUntil(1));  // announced at once: the first after a quiet spell
  ASSERT_TRUE(pty_.Write("2\r\n"));
  ASSERT_TRUE(DrainUntil(2));  // read, its announcement due when the window ends
  ASSERT_EQ(notifier_.Count("records"), 1);
  const auto sendText = [&](const char* text) {
    return session_.SendCommandText(text, kKindText, "", false).outcome;
  };
  ASSERT_EQ(sendText("X"), SendOutcome::kOk);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(notifier_.Count("records"), 1);
  ASSERT_TRUE(WaitUntil([&] { return notifier_.Count("records") == 2; }, 5s));
  std::vector<std::string> sent;
  session_.DrainEntries(
      [&](std::string_view bytes, const RecordTag&) { sent.emplace_back(bytes); });
  EXPECT_EQ(sent, (std::vector<std::string>{"X"}));
  const auto quietSend = Clock::now();
  ASSERT_EQ(sendText("Y"), SendOutcome::kOk);
  ASSERT_TRUE(WaitUntil([&] { return notifier_.Count("records") == 3; }, 5s));
  EXPECT_LT(Clock::now() - quietSend, 1s);
}

// How many of this process's threads run at a real-time priority.
int RealTimeThreads() {
  int count = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    const int policy = sched_getscheduler(std::stoi(task.path().filename().string()));
    if (policy == SCHED_FIFO || policy == SCHED_RR) ++count;
  }
  return count;
}

bool MayUseRealTime() {
  bool granted = false;
  std::thread([&] {
    AskForRealTimePriority();
    granted = sched_getscheduler(0) == SCHED_FIFO;
  }).join();
  return granted;
}

// Once the owner has fallen behind, the receive thread must not keep the owner from the core:
// it gives up its real-time priority until the owner has caught up.
TEST_F(SessionOnPty, TheReceiveThreadYieldsItsPriorityWhileTheOwnerIsBehind) {
  if (!MayUseRealTime()) GTEST_SKIP() << "no right to real-time scheduling here";
  const int before = RealTimeThreads();
  Connect();
  ASSERT_TRUE(WaitUntil([&] { return RealTimeThreads() == before + 1; }, 3s));
  std::string flood;
  for (int i = 0; i < 1500; ++i) flood += "0123456789abcd\r\n";  // over half the queue, tagged
  ASSERT_TRUE(pty_.Write(flood));
  EXPECT_TRUE(WaitUntil([&] { return RealTimeThreads() == before; }, 3s));
  ASSERT_TRUE(DrainUntil(1500));
  ASSERT_TRUE(pty_.Write("caught up\r\n"));
  EXPECT_TRUE(WaitUntil([&] { return RealTimeThreads() == before + 1; }, 3s));
  ASSERT_TRUE(DrainUntil(1501));
  EXPECT_EQ(session_.Dropped().records, 0u);
}

// Short lines take the queue's room for their prefixes and tags too: the owner hears of them
// in time to take them all, however long its announce window.
TEST_F(SessionOnPty, ShortLinesAreAnnouncedBeforeTheyFillTheQueue) {
  Connect();
  ASSERT_TRUE(pty_.Write("0\r\n"));
  ASSERT_TRUE(DrainUntil(1));
  session_.SetAnnounceWindow(30s);
  const int announcedBefore = notifier_.Count("records");
  std::string flood;
  for (int i = 0; i < 3000; ++i) flood += "ab\r\n";  // data fills a quarter, with tags far more
  ASSERT_TRUE(pty_.Write(flood));
  ASSERT_TRUE(WaitUntil([&] { return notifier_.Count("records") > announcedBefore; }, 3s));
  ASSERT_TRUE(DrainUntil(3001));
  EXPECT_EQ(session_.Dropped().records, 0u);
}

// A handler that drains again (a nested event loop in the window) sees the rest in order,
// and its own record is not overwritten meanwhile.
TEST_F(SessionOnPty, DrainFromInsideAHandlerKeepsOrderAndTheOuterRecord) {
  Connect();
  ASSERT_TRUE(pty_.Write("1\r\n2\r\n3\r\n"));
  ASSERT_TRUE(WaitUntil([&] { return notifier_.Count("records") > 0; }));
  std::this_thread::sleep_for(50ms);
  std::vector<std::string> seen;
  bool nested = false;
  session_.DrainReceived([&](std::string_view record) {
    const std::string before(record);
    if (!nested) {
      nested = true;
      session_.DrainReceived([&](std::string_view inner) { seen.emplace_back(inner); });
    }
    EXPECT_EQ(std::string(record), before);
    seen.push_back(before);
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"2\r\n", "3\r\n", "1\r\n"}));
}

// A record's time is when its first byte was read: not when the record was complete, nor when
// the owner took it.
TEST_F(SessionOnPty, ARecordCarriesTheTimeItsFirstByteArrived) {
  settings_.receiveTimeout = 3000;
  Connect();
  const WallTime first = WallClockNow();
  ASSERT_TRUE(pty_.Write("AB"));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(pty_.Write("C\r\nD\r\n"));
  std::this_thread::sleep_for(300ms);  // the owner is busy meanwhile
  std::vector<std::pair<std::string, RecordTag>> entries;
  ASSERT_TRUE(WaitUntil([&] {
    session_.DrainEntries(
        [&](std::string_view bytes, const RecordTag& tag) { entries.emplace_back(bytes, tag); });
    return entries.size() >= 2;
  }));
  const WallTime drained = WallClockNow();
  ASSERT_EQ(entries[0].first, "ABC\r\n");
  EXPECT_EQ(entries[0].second.origin, RecordOrigin::kReceived);
  EXPECT_LT(entries[0].second.time - first, 150ms);
  EXPECT_GE(entries[1].second.time - first, 250ms) << "D came with the second write";
  EXPECT_GE(drained - entries[1].second.time, 250ms) << "and was read long before the drain";
}

TEST(SplitReceivedRecord, LinesEndAtTheTerminator) {
  struct Row {
    const char* record;
    const char* terminator;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"A\r\nB\r\n", "\r\n", {"A\r\n", "B\r\n"}},
      {"A\r\nB", "\r\n", {"A\r\n", "B"}},
      {"AT\r\r\nOK\r\n", "\r\n", {"AT\r\r\n", "OK\r\n"}},
      {"x\ry\r", "\r", {"x\r", "y\r"}},
      {"OK\r\n", "\r\n", {"OK\r\n"}},
      {"\r", "\r", {"\r"}},
      {"A\r\nB\r\n", "", {"A\r\nB\r\n"}},
      {"", "\r\n", {}},
  };
  for (const Row& row : rows) {
    std::vector<std::string> lines;
    SplitReceivedRecord(row.record, row.terminator,
                        [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, row.lines) << row.record;
  }
}

TEST_F(SessionOnPty, FramingChangesWhileConnectedFromTheNextRecord) {
  Connect();
  session_.SetReceiveFraming("", 4);
  settings_.receiveTerminator = "";
  ASSERT_TRUE(pty_.Write("ABCDEFGH"));
  ASSERT_TRUE(DrainUntil(2));
  session_.SetReceiveFraming("\r", 4);
  settings_.receiveTerminator = "\r";
  ASSERT_TRUE(pty_.Write("x\ry\r"));
  ASSERT_TRUE(DrainUntil(4));
  EXPECT_EQ(lines_, (std::vector<std::string>{"ABCD", "EFGH", "x\r", "y\r"}));
}

TEST_F(SessionOnPty, PeriodicItemWritesEverySecondWhileConnectedOnly) {
  CAttr& item = AddItem("P", "", 1000, 1);
  AddItem("heading", "", 0, 1);
  Connect();
  EXPECT_NE(item.repeatTimerId, 0u);
  const std::string ticks = pty_.Read(SIZE_MAX, 2500ms);
  EXPECT_TRUE(ticks == "PP" || ticks == "PPP") << ticks;
  session_.Disconnect();
  EXPECT_EQ(item.repeatTimerId, 0u);
  EXPECT_EQ(pty_.Read(1, 1300ms), "") << "no timer remains";
  EXPECT_EQ(notifier_.Count("send-failed"), 0);
}

TEST_F(SessionOnPty, RingAndRiBothAnswerEachAfterItsOwnDelay) {
  AddItem("B", "RING", 0, 250);
  AddItem("A", "RI", 0, 50);
  AddItem("C", "RINGING", 0, 1);  // longer than the line: never answers
  AddItem("0", "RIN", 0, 0);      // files of the older form: at the next tick
  Connect();
  ASSERT_TRUE(pty_.Write("RING\r\n"));
  ASSERT_TRUE(DrainUntil(1));
  // The answers started within that drain: not before it began.
  const Clock::time_point matched = lastDrain_;
  EXPECT_EQ(pty_.Read(1, 3s), "0");
  EXPECT_EQ(pty_.Read(1, 3s), "A");
  EXPECT_GE(Clock::now() - matched, 45ms);
  EXPECT_EQ(pty_.Read(1, 3s), "B");
  EXPECT_GE(Clock::now() - matched, 245ms);
  EXPECT_EQ(pty_.Read(1, 300ms), "");
}

TEST_F(SessionOnPty, PendingAnswerIsNotRepeatedButTheNextOneIs) {
  CAttr& item = AddItem("A", "RING", 0, 300);
  Connect();
  ASSERT_TRUE(pty_.Write("RING\r\n"));
  ASSERT_TRUE(DrainUntil(1));
  ASSERT_TRUE(pty_.Write("RING\r\n"));
  ASSERT_TRUE(DrainUntil(2));
  EXPECT_EQ(pty_.Read(SIZE_MAX, 700ms), "A");
  EXPECT_EQ(item.answerPending, 0);
  ASSERT_TRUE(pty_.Write("RING\r\n"));
  ASSERT_TRUE(DrainUntil(3));
  EXPECT_EQ(pty_.Read(1, 3s), "A");
}

// A periodic tick of the same item must not end the wait of its scheduled answer; otherwise
// a second match schedules a second timer and the first one is orphaned.
TEST_F(SessionOnPty, PeriodicTickLeavesAWaitingAnswerPending) {
  CAttr& item = AddItem("T", "RING", 5, 400);
  Connect();
  session_.AnswerReceivedLine("RING\r\n");
  const TimerId answerTimer = item.answerTimerId;
  ASSERT_NE(answerTimer, 0u);
  ASSERT_TRUE(WaitUntil([&] { return pty_.Read(10, 1s).size() >= 10; }));  // ten ticks
  EXPECT_EQ(item.answerPending, 1);
  session_.AnswerReceivedLine("RING\r\n");
  EXPECT_EQ(item.answerTimerId, answerTimer) << "no second answer scheduled";
  EXPECT_TRUE(WaitUntil([&] { return item.answerPending == 0; }));
}

TEST_F(SessionOnPty, DisconnectCancelsWaitingAnswersAndLateTimersWriteNothing) {
  AddItem("A", "RING", 0, 150);
  AddItem("P", "", 20, 1);
  CAttr& broken = AddItem("B", "OK", 0, -1);  // its timer cannot start
  Connect();
  session_.AnswerReceivedLine("RING\r\n");
  session_.AnswerReceivedLine("OK\r\n");
  EXPECT_EQ(broken.answerPending, 1) << "a failed start keeps the item pending";
  ASSERT_EQ(pty_.Read(1, 1s), "P");
  session_.Disconnect();
  pty_.ReadUntilQuiet(10ms);
  EXPECT_EQ(pty_.Read(1, 400ms), "");
  EXPECT_EQ(notifier_.Count("answer-timer-failed"), 1);
  EXPECT_EQ(broken.answerPending, 0);
  EXPECT_EQ(notifier_.Count("send-failed"), 0);
}

TEST_F(SessionOnPty, FullQueueKeepsTheNewestInOrderAndCountsTheDropped) {
  Connect();
  std::string flood;
  for (int i = 0; i < 200; ++i) {
    std::string record = std::to_string(1000 + i);
    record.resize(510, '.');
    flood += record + "\r\n";
  }
  ASSERT_TRUE(pty_.Write(flood, 10s));
  // 127 records of 4 + 512 stored bytes fill 65535; each later one pushes out the oldest.
  ASSERT_TRUE(WaitUntil([&] { return session_.Dropped().records >= 73; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(session_.Dropped().records, 73u);
  EXPECT_EQ(session_.Dropped().bytes, 73u * 512);
  EXPECT_EQ(notifier_.Count("records"), 1) << "one notice until the owner drains";
  Drain();
  ASSERT_EQ(lines_.size(), 127u);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    EXPECT_EQ(lines_[i].substr(0, 4), std::to_string(1073 + i));
    EXPECT_EQ(lines_[i].size(), 512u);
  }
  session_.Disconnect();
  ASSERT_EQ(session_.Open(settings_), OpenResult::kOk);
  EXPECT_EQ(session_.Dropped().records, 0u) << "counted per connection";
}

TEST_F(SessionOnPty, DisconnectWhileTheDeviceFloodsEndsTheThreadThenClosesThePort) {
  Connect();
  std::atomic<bool> stop{false};
  std::thread device([&] {
    const std::string lines = [] {
      std::string text;
      for (int i = 0; i < 256; ++i) text += "0123456789ABCD\r\n";
      return text;
    }();
    while (!stop && pty_.Write(lines, 200ms)) {
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return session_.Dropped().records > 0; }));
  const Clock::time_point start = Clock::now();
  session_.Disconnect();
  EXPECT_LT(Clock::now() - start, 2s);
  EXPECT_EQ(session_.State(), ReceiveState::kStopped);
  EXPECT_FALSE(session_.IsOpen());
  TtyPort again;
  EXPECT_EQ(again.Open(pty_.PortPath(), {}), IoStatus::kOk) << "the port was given up";
  stop = true;
  device.join();
}

TEST_F(SessionOnPty, DeviceLossIsNotifiedOnceAfterEveryByteReceivedBefore) {
  settings_.receiveTimeout = 5000;
  Connect();
  ASSERT_TRUE(pty_.Write("A\r\nB\r\nPART"));
  ASSERT_TRUE(DrainUntil(2));
  const Clock::time_point closed = Clock::now();
  pty_.CloseDevice();
  ASSERT_TRUE(WaitUntil([&] { return notifier_.Count("lost") == 1; }));
  EXPECT_LT(notifier_.LostAt() - closed, 100ms);
  const std::vector<std::string> events = notifier_.Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], "records") << "the rest was queued before the notice";
  Drain();
  EXPECT_EQ(lines_, (std::vector<std::string>{"A\r\n", "B\r\n", "PART"}));
  EXPECT_EQ(session_.State(), ReceiveState::kStopped);
  session_.Disconnect();
  EXPECT_FALSE(session_.IsOpen());
  EXPECT_EQ(notifier_.Count("lost"), 1);
}

TEST_F(SessionOnPty, DeviceLostWhileDataFlowsLosesNothingAlreadyReceived) {
  Connect();
  std::string sent;
  std::atomic<bool> stop{false};
  std::thread device([&] {
    for (int i = 0; !stop; ++i) {
      const std::string line = std::to_string(i) + "\r\n";
      if (!pty_.Write(line)) break;
      sent += line;
      if (i % 64 == 0) std::this_thread::sleep_for(1ms);
    }
  });
  ASSERT_TRUE(DrainUntil(500));
  stop = true;
  device.join();
  const Clock::time_point closed = Clock::now();
  pty_.CloseDevice();
  ASSERT_TRUE(WaitUntil([&] {
    Drain();
    return notifier_.Count("lost") == 1;
  }));
  EXPECT_LT(notifier_.LostAt() - closed, 100ms);
  Drain();
  std::string received;
  for (const std::string& line : lines_) received += line;
  EXPECT_EQ(session_.Dropped().records, 0u);
  EXPECT_EQ(sent.substr(0, received.size()), received) << "in order, nothing missing between";
}

TEST_F(SessionOnPty, ReceiveThreadSleepsWhileBytesWaitForTheirTimeout) {
  settings_.receiveTimeout = 3000;
  Connect();
  ASSERT_TRUE(pty_.Write(std::string(700, 'z')));  // more than one record can hold
  std::this_thread::sleep_for(50ms);
  ASSERT_TRUE(pty_.Write(std::string(100, 'z')));  // stays queued in the driver
  std::this_thread::sleep_for(50ms);
  const auto cpu = [] {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  };
  const auto before = cpu();
  std::this_thread::sleep_for(500ms);
  EXPECT_LT(cpu() - before, 100ms) << "a spinning thread would use the whole 500 ms";
  EXPECT_TRUE(lines_.empty());
}

TEST_F(SessionOnPty, SendPathsReportConversionAndWriteResults) {
  Connect();
  struct Row {
    const char* text;
    ItemKind kind;
    bool escapes;
    SendOutcome outcome;
    std::int32_t position;
    const char* wire;
  };
  const Row rows[] = {
      {"41", kKindHex, false, SendOutcome::kOk, 0, "A\r\n"},
      {"4G", kKindHex, false, SendOutcome::kNotHex, 0, ""},
      {"A\\q", kKindText, true, SendOutcome::kEscapeError, 2, ""},
      {"A\\r", kKindText, true, SendOutcome::kOk, 0, "A\r\r\n"},
      {"A\\r", kKindText, false, SendOutcome::kOk, 0, "A\\r\r\n"},
  };
  for (const Row& row : rows) {
    const SendTextResult result = session_.SendCommandText(row.text, row.kind, "\r\n", row.escapes);
    EXPECT_EQ(result.outcome, row.outcome) << row.text;
    EXPECT_EQ(result.errorPosition, row.position) << row.text;
    EXPECT_EQ(pty_.ReadUntilQuiet(30ms), row.wire) << row.text;
  }
  EXPECT_EQ(session_.SendItem(AddItem("AT", "", 0, 1)), SendOutcome::kOk);
  EXPECT_EQ(pty_.Read(2, 1s), "AT");
  EXPECT_EQ(session_.SendItem(AddItem("", "", 0, 1)), SendOutcome::kNothing);
  session_.Disconnect();
  EXPECT_EQ(session_.SendCommandText("AT", kKindText, "\r\n", false).outcome,
            SendOutcome::kWriteFailed);
}

// The device never reads. A write from the owner fails at its limit and is reported after
// SendLock was released, so Disconnect can kill a periodic timer whose callback waits for
// that lock; the periodic write failure is reported once.
TEST_F(SessionOnPty, WritesThatNeverCompleteFailAndDisconnectStillReturns) {
  const std::string big(64 * 1024, 'w');
  AddItem(big, "", 50, 1);
  Connect();
  ASSERT_TRUE(WaitUntil([&] { return notifier_.Count("send-failed") == 1; }, 10s));
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(session_.SendItem(AddItem(big, "", 0, 1)), SendOutcome::kWriteFailed);
  EXPECT_GE(Clock::now() - start, 2s);
  session_.Disconnect();
  EXPECT_LT(Clock::now() - start, 10s);
  EXPECT_EQ(notifier_.Count("send-failed"), 1);
}

// The owner's side as the window plays it: FollowLink on every turn of its loop.
TEST_F(SessionOnPty, ReconnectionOutlastsChurnRefusesNonTtysAndLeaksNothing) {
  test::TempDir dir;
  test::PluggedDevice plugged(dir.File("usb-Maker_Adapter_0001-if00-port0"));
  settings_.portName = plugged.Path();
  AddItem("P", "", 100, 0);
  session_.SetReconnect(true);
  const int descriptors = test::CountEntries("/proc/self/fd");
  const int threads = test::CountEntries("/proc/self/task");
  Connect();
  const auto follow = [&](std::chrono::milliseconds span) {
    const Clock::time_point end = Clock::now() + span;
    while (Clock::now() < end) {
      session_.FollowLink();
      Drain();
      std::this_thread::sleep_for(10ms);
    }
  };
  // Shortened from 30 s: the same paths run every 100 ms.
  for (int i = 0; i < 15; ++i) {
    plugged.Unplug();
    follow(100ms);
    plugged.Plug();
    follow(100ms);
  }
  ASSERT_TRUE(WaitUntil([&] { return session_.FollowLink(), session_.IsSending(); }));
  follow(300ms);
  plugged.Device().ReadUntilQuiet(0ms);
  std::string polls;
  const Clock::time_point end = Clock::now() + 1s;
  while (Clock::now() < end) polls += plugged.Device().Read(64, 50ms);
  EXPECT_GE(polls.size(), 5u) << "periodic sends resumed";
  EXPECT_LE(polls.size(), 15u) << "with one timer, not one per reconnection";

  // A name that comes back as something other than a tty is refused, and the wait goes on.
  for (const bool directory : {false, true}) {
    plugged.Unplug();
    ASSERT_TRUE(WaitUntil([&] { return session_.FollowLink(), session_.IsAwaitingDevice(); }));
    if (directory) {
      ASSERT_EQ(::mkdir(plugged.Path().c_str(), 0700), 0);
    } else {
      test::WriteFile(plugged.Path(), "not a device");
    }
    follow(1200ms);
    EXPECT_TRUE(session_.IsAwaitingDevice()) << (directory ? "directory" : "file");
    ::remove(plugged.Path().c_str());
    plugged.Plug();
    ASSERT_TRUE(WaitUntil([&] { return session_.FollowLink(), session_.IsSending(); }));
  }
  plugged.Device().Write("back\r\n");
  ASSERT_TRUE(WaitUntil([&] {
    Drain();
    return !lines_.empty() && lines_.back() == "back\r\n";
  }));
  EXPECT_EQ(notifier_.Count("lost"), 0);
  EXPECT_EQ(notifier_.Count("send-failed"), 0) << "writes into the gap are not failures";
  session_.Disconnect();
  EXPECT_EQ(test::CountEntries("/proc/self/fd"), descriptors);
  // A joined thread may still be listed for a moment while the kernel finishes its exit.
  EXPECT_TRUE(WaitUntil([&] { return test::CountEntries("/proc/self/task") == threads; }))
      << test::CountEntries("/proc/self/task") << " threads, " << threads << " before";
}

}  // namespace
}  // namespace vexa
