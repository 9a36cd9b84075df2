// SPDX-License-Identifier: GPL-3.0-or-later
// The committed demo command file: valid as it stands, holding what the demo promises, and
// exactly what the program's own writer makes of it.

#include "demo/DemoFile.h"

#include <gtest/gtest.h>

#include "core/codec/Cp932.h"
#include "core/files/CommandFile.h"
#include "core/items/DefaultSet.h"
#include "support/TempDir.h"

namespace vexa {
namespace {

const std::string kDemoFile = VEXA_DEMO_FILE;

// Every item as "level|label|kind|period|answer data|delay", in walk order.
std::vector<std::string> Rows(const ItemTree& tree, ItemHandle start) {
  std::vector<std::string> rows;
  ForEachItem(tree, start, [&](ItemHandle item, int level) {
    const CAttr& r = *tree.Record(item);
    rows.push_back(std::to_string(level) + "|" + Cp932ToUtf8(r.label) + "|" +
                   std::to_string(r.sendKind) + "|" + std::to_string(r.repeatPeriod) + "|" +
                   r.receiveBytes + "|" +
                   (r.receiveBytes.empty() ? "" : std::to_string(r.answerDelay)));
  });
  return rows;
}

ItemHandle LastTopLevelItem(const ItemTree& tree) {
  ItemHandle last = nullptr;
  for (ItemHandle item = tree.FirstChild(nullptr); item; item = tree.NextSibling(item)) last = item;
  return last;
}

class DemoFile : public testing::Test {
 protected:
  void SetUp() override {
    load_ = LoadCommandFile(kDemoFile, tree_, settings_);
    ASSERT_EQ(load_.readResult, FileRead::kOk) << kDemoFile;
  }
  CommandTree tree_;
  CommSettings settings_;
  CommandFileLoad load_;
};

TEST_F(DemoFile, LoadsWithoutAnyMessage) {
  EXPECT_EQ(load_.items.result, ParseResult::kOk);
  EXPECT_FALSE(load_.items.invalidData);
  EXPECT_EQ(LoadFailureMessage(load_), nullptr);
  EXPECT_EQ(settings_.formatTag, kCurrentFormatTag);
  EXPECT_EQ(settings_.portName, "/tmp/vexa-ta");
  CommSettings otherwiseDefault = settings_;
  otherwiseDefault.formatTag = kDefaultCommSettings.formatTag;
  otherwiseDefault.portName = kDefaultCommSettings.portName;
  EXPECT_EQ(otherwiseDefault, kDefaultCommSettings);
}

TEST_F(DemoFile, HoldsTheBuiltInSetThenTheDemoHeading) {
  CommandTree builtIn;
  LoadItemsFromText(builtIn, DefaultCommandSetText(), kDefaultCommSettings);
  std::vector<std::string> expected = Rows(builtIn, nullptr);
  ASSERT_EQ(expected.size(), 202u);
  expected.insert(expected.end(), {"2|デモ|0|0||", "3|着信応答;ATA|1|0|RING|500",
                                   "3|5秒ごとの御機嫌伺い;AT|1|5000||"});
  EXPECT_EQ(Rows(tree_, nullptr), expected);

  const ItemHandle demo = LastTopLevelItem(tree_);
  const ItemHandle answer = tree_.FirstChild(demo);
  EXPECT_EQ(tree_.Record(answer)->sendBytes, "ATA\r\n");
  EXPECT_EQ(tree_.Record(tree_.NextSibling(answer))->sendBytes, "AT\r\n");
}

TEST_F(DemoFile, SavesBackByteIdentical) {
  test::TempDir dir;
  const std::string saved = dir.File("demo.vxp");
  ASSERT_EQ(SaveCommandFile(saved, settings_, tree_), SaveResult::kOk);
  EXPECT_EQ(test::ReadFile(saved), test::ReadFile(kDemoFile));
}

TEST_F(DemoFile, IsWhatTheGeneratorWrites) {
  CommandTree tree;
  CommSettings settings;
  demo::BuildDemo(tree, settings);
  EXPECT_EQ(WriteSettingsLine(settings) + WriteItemLines(tree, settings), test::ReadFile(kDemoFile))
      << "run make_demo_file examples/demo.vxp after changing the demo";
}

}  // namespace
}  // namespace vexa
