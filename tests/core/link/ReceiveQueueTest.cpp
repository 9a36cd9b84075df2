// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/ReceiveQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vexa {
namespace {

std::string GetOne(ReceiveQueue& queue, std::size_t room = 512) {
  std::vector<char> dest(room);
  std::uint32_t count = 99;
  if (!queue.Get(dest, count)) return "<none>";
  return std::string(dest.data(), count);
}

TEST(ReceiveQueue, WithoutStorageNothingIsStored) {
  ReceiveQueue queue;
  EXPECT_EQ(queue.Init(0), 0);
  EXPECT_EQ(queue.Put("x"), 0);
  DroppedRecords dropped;
  EXPECT_EQ(queue.PutDropOldest("x", dropped), 0);
  EXPECT_EQ(queue.PeekLength(), 0u);
  EXPECT_EQ(GetOne(queue), "<none>");
}

TEST(ReceiveQueue, RecordsComeOutWholeAndInOrderAcrossTheWrap) {
  ReceiveQueue queue;
  ASSERT_EQ(queue.Init(32), 1);
  // Records of 4 + 9 bytes walk round a 32-byte ring many times, splitting prefix and data; one
  // always stays behind, so that the queue never empties (an empty one starts at the front).
  const auto record = [](int i) {
    return i % 2 ? std::string(1, '\0') + "b" + std::to_string(1000 + i)
                 : "rec" + std::to_string(1000 + i) + "a";
  };
  ASSERT_EQ(queue.Put(record(0)), 1);
  for (int i = 1; i < 80; ++i) {
    ASSERT_EQ(queue.Put(record(i)), 1);
    EXPECT_EQ(queue.PeekLength(), 4 + record(i - 1).size());
    EXPECT_EQ(GetOne(queue), record(i - 1));
  }
  EXPECT_EQ(GetOne(queue), record(79));
  EXPECT_EQ(GetOne(queue), "<none>");
}

TEST(ReceiveQueue, OneByteStaysFree) {
  ReceiveQueue queue;
  ASSERT_EQ(queue.Init(16), 1);
  EXPECT_EQ(queue.Put(std::string(12, 'x')), 0) << "16 stored bytes need 17";
  EXPECT_EQ(queue.Put(std::string(11, 'x')), 1);
  EXPECT_EQ(queue.Put(""), 0);
  EXPECT_EQ(GetOne(queue), std::string(11, 'x'));
  EXPECT_EQ(queue.Put(""), 1) << "an empty record is 4 length bytes";
  EXPECT_EQ(queue.PeekLength(), 4u);
}

TEST(ReceiveQueue, RecordLongerThanTheDestinationStays) {
  ReceiveQueue queue;
  ASSERT_EQ(queue.Init(64), 1);
  ASSERT_EQ(queue.Put("abcdef"), 1);
  EXPECT_EQ(GetOne(queue, 5), "<none>");
  EXPECT_EQ(queue.PeekLength(), 10u);
  EXPECT_EQ(GetOne(queue, 6), "abcdef");
}

TEST(ReceiveQueue, DropRemovesWholeOldestRecords) {
  ReceiveQueue queue;
  ASSERT_EQ(queue.Init(64), 1);
  for (const char* record : {"aaa", "bbbb", "ccccc"}) ASSERT_EQ(queue.Put(record), 1);
  std::uint32_t needed = 8;  // the first record (7) is not enough, the second completes it
  EXPECT_EQ(queue.Drop(needed), 1);
  EXPECT_EQ(needed, 15u);
  EXPECT_EQ(GetOne(queue), "ccccc");

  for (const char* record : {"aaa", "bbbb"}) ASSERT_EQ(queue.Put(record), 1);
  needed = 1000;
  queue.Drop(needed);
  EXPECT_EQ(needed, 15u) << "more than used: everything, and the amount used";
  EXPECT_EQ(queue.PeekLength(), 0u);
}

TEST(ReceiveQueue, FullQueueDropsTheOldestAndCountsExactly) {
  ReceiveQueue queue;
  ASSERT_EQ(queue.Init(64), 1);
  DroppedRecords dropped;
  // 20 stored bytes each: three fit in 63.
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(queue.PutDropOldest(std::string(15, 'a') + char('0' + i), dropped), 1);
  }
  EXPECT_EQ(dropped.records, 2u);
  EXPECT_EQ(dropped.bytes, 32u);
  EXPECT_EQ(GetOne(queue), std::string(15, 'a') + '2');

  EXPECT_EQ(queue.PutDropOldest(std::string(60, 'z'), dropped), 0) << "could never fit";
  EXPECT_EQ(dropped.records, 2u) << "nothing thrown away for it";
  EXPECT_EQ(GetOne(queue), std::string(15, 'a') + '3');
}

// A queue that carries tags gives every record back with its own, across the wrap; making room
// counts only the received records it drops, by their data bytes.
TEST(ReceiveQueue, TagsTravelWithTheirRecordsAndOnlyReceivedDropsCount) {
  ReceiveQueue queue;
  ASSERT_EQ(queue.Init(64, RecordTags::kCarried), 1);
  const WallTime start = std::chrono::floor<std::chrono::microseconds>(WallClockNow());
  const auto tagOf = [&](int i) {
    return RecordTag{start + std::chrono::milliseconds(i),
                     i % 2 ? RecordOrigin::kSentAnswer : RecordOrigin::kReceived};
  };
  std::vector<char> dest(512);
  for (int i = 0; i < 30; ++i) {  // 4 + 8 + 5 stored bytes each, round a 64-byte ring
    const std::string record = "rec" + std::to_string(10 + i);
    ASSERT_EQ(queue.PutDropOldest(record, tagOf(i)).result, PutResult::kStored);
    const std::optional<TakenRecord> taken = queue.Take(dest);
    ASSERT_TRUE(taken);
    EXPECT_EQ(std::string(dest.data(), taken->length), record);
    EXPECT_EQ(taken->tag.time, tagOf(i).time);
    EXPECT_EQ(taken->tag.origin, tagOf(i).origin);
  }
  // Three records of 17 stored bytes fill 63; each later one pushes out the oldest.
  for (int i = 0; i < 5; ++i) {
    const TaggedPut put = queue.PutDropOldest(std::string(5, char('a' + i)), tagOf(i));
    EXPECT_EQ(put.dropped.records, i == 3 ? 1u : 0u) << i << ": a sent entry is no loss";
    EXPECT_EQ(put.dropped.bytes, i == 3 ? 5u : 0u) << i;
  }
  EXPECT_EQ(GetOne(queue), "ccccc");
  EXPECT_FALSE(queue.PutDropOldest(std::string(52, 'z'), tagOf(0)).result == PutResult::kStored)
      << "could never fit with its tag";
}

// Putting a gathered batch leaves the queue as putting its records one by one would: order,
// tags, the oldest dropped for room, and a record that could never fit left out. A batch no
// larger than the queue goes in whole; a larger one record by record.
TEST(ReceiveQueue, ABatchPutsLikeItsRecordsOneByOne) {
  const struct {
    std::uint32_t capacity;
    std::vector<std::string> before;  // in the queue already
    std::vector<std::string> records;
  } cases[] = {
      {64, {"old"}, {"one", std::string(30, 'x'), "three", std::string(60, 'z'), "five", "six"}},
      // Fits whole once the two oldest are gone, and runs over the end of the storage.
      {128,
       {std::string(40, 'a'), "b", std::string(20, 'c')},
       {"one", std::string(45, 'x'), "two"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.capacity);
    ReceiveQueue single;
    ReceiveQueue batched;
    ASSERT_EQ(single.Init(c.capacity, RecordTags::kCarried), 1);
    ASSERT_EQ(batched.Init(c.capacity, RecordTags::kCarried), 1);
    for (const std::string& record : c.before) {
      ASSERT_EQ(single.PutDropOldest(record, RecordTag{}).result, PutResult::kStored);
      ASSERT_EQ(batched.PutDropOldest(record, RecordTag{}).result, PutResult::kStored);
    }
    const WallTime start = std::chrono::floor<std::chrono::microseconds>(WallClockNow());
    RecordBatch batch;
    DroppedRecords one;
    for (std::size_t i = 0; i < c.records.size(); ++i) {
      const RecordTag tag{start + std::chrono::milliseconds(i), RecordOrigin::kReceived};
      batch.Add(c.records[i], tag);
      const DroppedRecords dropped = single.PutDropOldest(c.records[i], tag).dropped;
      one.records += dropped.records;
      one.bytes += dropped.bytes;
    }
    const DroppedRecords together = batched.PutDropOldest(batch);
    EXPECT_EQ(together.records, one.records);
    EXPECT_EQ(together.bytes, one.bytes);
    EXPECT_GT(together.records, 0u);
    std::vector<char> a(512), b(512);
    for (;;) {
      const std::optional<TakenRecord> x = single.Take(a);
      const std::optional<TakenRecord> y = batched.Take(b);
      ASSERT_EQ(x.has_value(), y.has_value());
      if (!x) break;
      EXPECT_EQ(std::string(b.data(), y->length), std::string(a.data(), x->length));
      EXPECT_EQ(y->tag.time, x->tag.time);
      EXPECT_EQ(y->tag.origin, x->tag.origin);
    }
  }
}

// Records taken a batch at a time come out as Take gives them, across the wrap, and a batch
// stops at its byte limit (one record at least) and before a record longer than asked for.
TEST(ReceiveQueue, BatchesTakeWhatFitsInOrderWithTags) {
  ReceiveQueue queue;
  ASSERT_EQ(queue.Init(128, RecordTags::kCarried), 1);
  const WallTime start = std::chrono::floor<std::chrono::microseconds>(WallClockNow());
  const auto put = [&](const std::string& record, int i) {
    return queue.PutDropOldest(record, {start + std::chrono::milliseconds(i), RecordOrigin::kNote})
        .result;
  };
  // Dropped again to make room, so that "ghi" runs over the end of the storage.
  ASSERT_EQ(put(std::string(50, 'w'), -1), PutResult::kStored);
  const std::vector<std::string> records = {"abc", "def", std::string(10, 'x'), "ghi",
                                            std::string(20, 'y')};
  for (std::size_t i = 0; i < records.size(); ++i) {
    ASSERT_EQ(put(records[i], static_cast<int>(i)), PutResult::kStored);
  }
  // Each record takes 12 bytes more than its data: "abc" and "def" 30 together, the x's 22.
  const struct {
    std::size_t moved;  // within 32 stored bytes, of records of up to 15 bytes
    std::vector<std::string> data;
  } takes[] = {{2, {"abc", "def"}}, {1, {std::string(10, 'x')}}, {1, {"ghi"}}, {0, {}}};
  StoredRecords taken;
  std::size_t next = 0;
  for (const auto& take : takes) {
    EXPECT_EQ(queue.TakeStored(taken, 32, 15), take.moved);
    for (const std::string& data : take.data) {
      ASSERT_FALSE(taken.AtEnd());
      const StoredRecords::Record record = taken.Next();
      EXPECT_EQ(record.data, data);
      EXPECT_EQ(record.tag.time, start + std::chrono::milliseconds(next++));
      EXPECT_EQ(record.tag.origin, RecordOrigin::kNote);
    }
    EXPECT_TRUE(taken.AtEnd());
  }
  std::vector<char> out(64);
  const std::optional<TakenRecord> last = queue.Take(out);
  ASSERT_TRUE(last);
  EXPECT_EQ(std::string(out.data(), last->length), records.back());
}

// One producer dropping the oldest while one consumer takes records: every record that comes
// out is whole and newer than the one before, and taken plus dropped is everything put.
TEST(ReceiveQueue, ProducerAndConsumerThreads) {
  ReceiveQueue queue;
  ASSERT_EQ(queue.Init(4096), 1);
  constexpr std::uint32_t kRecords = 100000;
  const auto make = [](std::uint32_t i) {
    std::string record = std::to_string(i) + ":";
    record.append(i % 300, static_cast<char>('A' + i % 26));
    return record;
  };
  DroppedRecords dropped;
  std::thread producer([&] {
    for (std::uint32_t i = 0; i < kRecords; ++i) queue.PutDropOldest(make(i), dropped);
    queue.Put("end");
  });
  std::uint32_t taken = 0;
  long long last = -1;
  bool whole = true;
  for (std::string record; (record = GetOne(queue)) != "end";) {
    if (record == "<none>") continue;
    const long long index = std::stoll(record);
    whole = whole && record == make(static_cast<std::uint32_t>(index)) && index > last;
    last = index;
    ++taken;
  }
  producer.join();
  EXPECT_TRUE(whole);
  EXPECT_EQ(taken + dropped.records, kRecords);
}

}  // namespace
}  // namespace vexa
