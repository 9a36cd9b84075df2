// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/CommLog.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vexa {
namespace {

using namespace std::string_literals;

TEST(CommLog, WritesExactBytesAndReplacesAnOldFile) {
  test::TempDir dir;
  const std::string path = dir.File("a.log");
  test::WriteFile(path, "old content that is longer");
  CommLog log;
  ASSERT_TRUE(log.Open(path));
  log.Append("OK\r\n");
  log.Append("A\0B\r\n"s);
  ASSERT_TRUE(log.Flush());
  EXPECT_EQ(test::ReadFile(path), "OK\r\nA\0B\r\n"s) << "flushed batches are on disk";
  log.Append("tail");
  log.Close();
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(test::ReadFile(path), "OK\r\nA\0B\r\ntail"s) << "closing writes what is pending";
  log.Append("ignored");
  EXPECT_FALSE(log.Flush());
}

TEST(CommLog, FailuresCloseTheLog) {
  CommLog log;
  EXPECT_FALSE(log.Open("/nonexistent-folder/x.log"));
  EXPECT_FALSE(log.IsOpen());
  ASSERT_TRUE(log.Open("/dev/full"));
  log.Append("data");
  EXPECT_FALSE(log.Flush());
  EXPECT_FALSE(log.IsOpen());
}

}  // namespace
}  // namespace vexa
