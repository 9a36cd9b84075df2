// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workspace/Workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "support/LineResponder.h"
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

// Keeps the lines as they are shown; sent lines after their mark.
class OrderSink : public ReceivedLineSink {
 public:
  void ShowReceivedLine(std::string_view line, WallTime) override { lines.emplace_back(line); }
  void ShowSentLine(std::string_view bytes, const RecordTag& tag) override {
    lines.push_back(SentMarker(tag.origin) + std::string(bytes));
  }
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

// A device answers each line; a periodic "P" is answered "=P", which starts the automatic
// answer "A". Each line of the stream comes after the one it answers, the log holds only what
// was received, and a sent "RING" starts no answer.
TEST(Workspace, SentLinesTakeTheirPlaceAmongReceivedOnesButStayOutOfLogAndAnswers) {
  test::PseudoTerminal device;
  test::TempDir dir;
  CommandTree tree;
  NoNotices notices;
  Workspace work(tree, notices);
  work.Settings().portName = device.PortPath();
  work.Settings().formatTag = kCurrentFormatTag;
  // P every 30 ms; "=P" answered by A after 1 ms; "RING" answered by X.
  LoadItemsFromText(tree,
                    std::string("2,7681,poll;P\n0,257,reply;=P\n2,1,answer;A\n"
                                "0,257,ring;RING\n2,1,never;X\n"),
                    work.Settings());
  ASSERT_TRUE(work.OpenLog(dir.File("a.log")));
  work.SetSentLinesShown(true);
  ASSERT_EQ(work.Connect(), OpenResult::kOk);
  work.StartSending();
  test::LineResponder responder(device);
  ASSERT_EQ(work.SendText("RING", kKindText).outcome, SendOutcome::kOk);

  OrderSink sink;
  const auto count = [&](const std::string& line) {
    return std::count(sink.lines.begin(), sink.lines.end(), line);
  };
  // Drains now and then, as a busy owner does: many entries at once.
  ASSERT_TRUE(test::WaitUntil([&] {
    std::this_thread::sleep_for(50ms);
    work.DrainReceived(sink);
    return count("=A\r\n") >= 5;
  }));
  work.Disconnect();
  work.DrainReceived(sink);
  std::map<std::string, int> seen;
  std::string received;
  for (const std::string& line : sink.lines) {
    ++seen[line];
    if (line[0] == '=') {
      received += line;
      // "=P" after "⟳P", "=A" after "↩A", "=RING" after "→RING".
      const std::string asked = line.substr(1);
      const int sent = seen["⟳" + asked] + seen["↩" + asked] + seen["→" + asked];
      EXPECT_LE(seen[line], sent) << line << " came before it was sent";
    } else if (line == "↩A\r\n") {
      EXPECT_LE(seen[line], seen["=P\r\n"]) << "an answer before the line it answers";
    }
  }
  EXPECT_EQ(count("→RING\r\n"), 1);
  EXPECT_EQ(count("=RING\r\n"), 1);
  EXPECT_EQ(count("↩X\r\n"), 0) << "a sent line starts no automatic answer";
  EXPECT_EQ(test::ReadFile(dir.File("a.log")), received) << "the log holds what was received";

  sink.lines.clear();
  work.SetSentLinesShown(false);
  ASSERT_EQ(work.Connect(), OpenResult::kOk);
  work.StartSending();
  ASSERT_TRUE(test::WaitUntil([&] {
    work.DrainReceived(sink);
    return count("=A\r\n") >= 1;
  }));
  EXPECT_EQ(count("⟳P\r\n") + count("↩A\r\n"), 0) << "switched off";
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
