// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/Connect.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "support/PseudoTerminal.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class ConnectOnPty : public testing::Test {
 protected:
  void Open(std::int32_t timeoutMs) {
    ASSERT_TRUE(pty_.IsValid());
    ASSERT_EQ(link_.Open(pty_.PortPath(), 115200, 0, 0, 8, timeoutMs), OpenResult::kOk);
  }
  // The next record, polling like the receive thread would; "" when `limit` passes first.
  std::string Next(const std::function<RecordRead(RecordBuffer&)>& read,
                   std::chrono::milliseconds limit = 3s) {
    RecordBuffer record;
    RecordRead got;
    test::WaitUntil([&] { return (got = read(record)).status != RecordRead::Status::kNothing; },
                    limit);
    return got.IsRecord() ? std::string(record.data(), got.length) : "";
  }
  std::string NextFramed(std::chrono::milliseconds limit = 3s) {
    return Next([&](RecordBuffer& r) { return link_.ReadRecord(r, "\r\n"); }, limit);
  }
  std::string NextRaw(std::int32_t length) {
    return Next([&](RecordBuffer& r) { return link_.ReadRaw(r, length); });
  }

  test::PseudoTerminal pty_;
  CConnect link_;
};

TEST_F(ConnectOnPty, FramesAtTheTerminatorIncludingCrCrLf) {
  Open(5000);  // a time-out would show up as a wrong record
  ASSERT_TRUE(pty_.Write("OK\r\n"));
  EXPECT_EQ(NextFramed(), "OK\r\n");
  ASSERT_TRUE(pty_.Write("AT\r\r\nOK\r\n"));  // a modem's echo, then its answer
  EXPECT_EQ(NextFramed(), "AT\r\r\n");
  EXPECT_EQ(NextFramed(), "OK\r\n");
  ASSERT_TRUE(pty_.Write("A\r\nB\r\n"));
  EXPECT_EQ(NextFramed(), "A\r\n");
  RecordBuffer record;
  ASSERT_EQ(link_.ReadRecord(record, "\r\n").length, 3u)
      << "the second record comes without waiting";
  EXPECT_EQ(std::string(record.data(), 3), "B\r\n");
  EXPECT_EQ(link_.ReadRecord(record, "\r\n").status, RecordRead::Status::kNothing);
}

TEST_F(ConnectOnPty, WaitingBytesBecomeARecordAfterTheTimeout) {
  Open(80);
  ASSERT_TRUE(pty_.Write("partial"));
  const Clock::time_point written = Clock::now();
  EXPECT_EQ(NextFramed(), "partial");
  EXPECT_GE(Clock::now() - written, 80ms);
}

TEST_F(ConnectOnPty, SixHundredBytesWithoutTerminatorGiveFiveHundredTwelveThenTheRest) {
  Open(50);
  ASSERT_TRUE(pty_.Write(std::string(600, 'x')));
  const Clock::time_point written = Clock::now();
  EXPECT_EQ(NextFramed(), std::string(512, 'x'));
  EXPECT_GE(Clock::now() - written, 50ms);
  const Clock::time_point first = Clock::now();
  EXPECT_EQ(NextFramed(), std::string(88, 'x'));
  EXPECT_GE(Clock::now() - first, 45ms) << "the rest waits a time-out of its own";
}

TEST_F(ConnectOnPty, RawRecordsOfTheRecordLengthThenTheRestAfterTheTimeout) {
  Open(80);
  ASSERT_TRUE(pty_.Write("0123456789abcdefghijABCDE"));
  EXPECT_EQ(NextRaw(10), "0123456789");
  EXPECT_EQ(NextRaw(10), "abcdefghij");
  const Clock::time_point second = Clock::now();
  EXPECT_EQ(NextRaw(10), "ABCDE");
  EXPECT_GE(Clock::now() - second, 75ms) << "the rest is timed from the previous record";
}

TEST_F(ConnectOnPty, PollPlanWaitsWithoutSpinning) {
  Open(1000);
  EXPECT_EQ(link_.MsUntilTimeoutRecord(), -1) << "nothing waits: no time-out to wake for";
  EXPECT_TRUE(link_.WantsInput());
  ASSERT_TRUE(pty_.Write("no terminator yet"));
  RecordBuffer record;
  ASSERT_TRUE(test::WaitUntil([&] {
    EXPECT_EQ(link_.ReadRecord(record, "\r\n").status, RecordRead::Status::kNothing);
    return link_.MsUntilTimeoutRecord() != -1;
  }));
  EXPECT_GT(link_.MsUntilTimeoutRecord(), 500) << "wake for the time-out, not before";
  // A full buffer must not ask poll() for input the driver still holds, or poll() never sleeps.
  ASSERT_TRUE(pty_.Write(std::string(700, 'y')));
  ASSERT_TRUE(test::WaitUntil([&] {
    EXPECT_EQ(link_.ReadRecord(record, "\r\n").status, RecordRead::Status::kNothing);
    return !link_.WantsInput();
  }));
  EXPECT_GT(link_.MsUntilTimeoutRecord(), 0);
}

TEST_F(ConnectOnPty, BytesReceivedBeforeTheDeviceVanishedComeFirst) {
  Open(5000);
  ASSERT_TRUE(pty_.Write("A\r\nPART"));
  EXPECT_EQ(NextFramed(), "A\r\n");
  pty_.CloseDevice();
  EXPECT_EQ(NextFramed(1s), "PART") << "delivered at once, not after the time-out";
  RecordBuffer record;
  EXPECT_EQ(link_.ReadRecord(record, "\r\n").status, RecordRead::Status::kDeviceLost);
}

TEST(Connect, ReturnCodesWhenNotOpen) {
  CConnect link;
  RecordBuffer record;
  EXPECT_EQ(link.Close(), CloseResult::kNotOpen);
  EXPECT_EQ(link.Write("x"), WriteResult::kNotOpen);
  EXPECT_EQ(link.ReadRecord(record, "\r\n").status, RecordRead::Status::kNotOpen);
  EXPECT_EQ(link.ReadRaw(record, 10).status, RecordRead::Status::kNotOpen);
  EXPECT_EQ(link.Open("COM0", 9600, 0, 0, 8, 100), OpenResult::kFailed);
  EXPECT_EQ(link.Open("/dev/does-not-exist-vexa", 9600, 0, 0, 8, 100), OpenResult::kFailed);

  test::PseudoTerminal pty;
  ASSERT_EQ(link.Open(pty.PortPath(), 9600, 0, 0, 8, 100), OpenResult::kOk);
  EXPECT_EQ(link.Open(pty.PortPath(), 9600, 0, 0, 8, 100), OpenResult::kFailed) << "already open";
  EXPECT_EQ(link.ReadRecord(record, "").status, RecordRead::Status::kNotOpen) << "no terminator";
  EXPECT_EQ(link.Write("hello"), WriteResult::kOk);
  EXPECT_EQ(pty.Read(5, 3s), "hello");
  EXPECT_EQ(link.Close(), CloseResult::kOk);
  EXPECT_EQ(link.Close(), CloseResult::kNotOpen);
}

TEST(Connect, ComNamesResolveThroughTheLookup) {
  test::PseudoTerminal pty;
  CConnect link([&](std::string_view name) -> std::optional<std::string> {
    if (name == "COM4") return pty.PortPath();
    return std::nullopt;
  });
  EXPECT_EQ(link.Open("COM4", 9600, 0, 0, 8, 100), OpenResult::kOk);
}

}  // namespace
}  // namespace vexa
