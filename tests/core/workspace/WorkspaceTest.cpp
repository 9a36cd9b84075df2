// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workspace/Workspace.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/PseudoTerminal.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;

class NoNotices : public LinkNotifier {
 public:
  void RecordsReady() override {}
  void SendFailed() override {}
  void DeviceLost() override {}
  void AnswerTimerFailed() override {}
};

// Keeps the lines as they are shown.
class OrderSink : public ReceivedLineSink {
 public:
  void ShowReceivedLine(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

TEST(Workspace, EveryReceivedLineIsLoggedAnsweredAndShownInOrder) {
  test::PseudoTerminal device;
  test::TempDir dir;
  CommandTree tree;
  NoNotices notices;
  Workspace work(tree, notices);
  work.Settings().portName = device.PortPath();
  work.Settings().formatTag = kCurrentFormatTag;
  LoadItemsFromText(tree, std::string("0,257,ring;RING\n2,1,answer;ATA\n"), work.Settings());
  ASSERT_TRUE(work.OpenLog(dir.File("a.log")));
  ASSERT_EQ(work.Connect(), OpenResult::kOk);
  work.StartSending();

  ASSERT_TRUE(device.Write("OK\r\nRING\r\nX"));
  OrderSink sink;
  ASSERT_TRUE(test::WaitUntil([&] {
    EXPECT_EQ(work.DrainReceived(sink), DrainResult::kOk);
    return sink.lines.size() >= 3;
  }));
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"OK\r\n", "RING\r\n", "X"}));
  EXPECT_EQ(test::ReadFile(dir.File("a.log")), "OK\r\nRING\r\nX") << "on disk after the drain";
  EXPECT_EQ(device.Read(5, 5s), "ATA\r\n");
  work.Disconnect();
}

TEST(Workspace, TheFirstChangeAfterALoadOrSaveIsReportedOnce) {
  CommandTree tree;
  NoNotices notices;
  Workspace work(tree, notices);
  int reported = 0;
  work.SetModifiedListener([&] { ++reported; });
  work.MarkModified();
  work.MarkModified();
  EXPECT_TRUE(work.IsModified());
  work.ClearModified();
  work.MarkModified();
  EXPECT_EQ(reported, 2);

  EXPECT_FALSE(work.LoadDefaultSet().invalidData);
  EXPECT_FALSE(tree.IsEmpty());
  work.ClearItems();
  EXPECT_TRUE(tree.IsEmpty());
}

}  // namespace
}  // namespace vexa
