// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/Preferences.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TempDir.h"

namespace vexa {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr std::string_view kWindowKey = "software\\marlen\\Vexa\\window";
constexpr std::string_view kHistoryKey = "software\\marlen\\Vexa\\history";
constexpr std::string_view kListKey = "software\\marlen\\Vexa\\list";

class PreferencesTest : public ::testing::Test {
 protected:
  PreferenceStore& Store() { return store_; }
  Preferences& Prefs() { return prefs_; }

  TempDir dir_;
  PreferenceStore store_{dir_.File("marlen/Vexa.reg")};
  Preferences prefs_{store_};
};

WindowPlacement SamplePlacement(std::int32_t showCmd) {
  WindowPlacement p;
  p.showCmd = showCmd;
  p.normalLeft = 10;
  p.normalTop = 20;
  p.normalRight = 538;
  p.normalBottom = 400;
  return p;
}

TEST(WindowPlacement, PacksElevenLittleEndianFields) {
  WindowPlacement p = SamplePlacement(kShowMaximized);
  p.minX = -1;
  const std::string bytes = p.Pack();
  ASSERT_EQ(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(0, 12), std::string("\x2c\0\0\0\0\0\0\0\x03\0\0\0", 12));
  EXPECT_EQ(bytes.substr(12, 4), "\xff\xff\xff\xff");
  EXPECT_EQ(bytes.substr(28, 8), std::string("\x0a\0\0\0\x14\0\0\0", 8));
  EXPECT_EQ(bytes.substr(36, 4), std::string("\x1a\x02\0\0", 4));
  EXPECT_EQ(WindowPlacement::Unpack(bytes), p);
  EXPECT_EQ(WindowPlacement::Unpack(bytes.substr(0, 43)), std::nullopt);
  EXPECT_EQ(WindowPlacement::Unpack(bytes + "x"), std::nullopt);
}

TEST(LogFont, PacksTheSixtyByteRecordAndCutsTheFaceOnACharacter) {
  LogFont f;
  f.height = -12;
  f.weight = 700;
  f.italic = 1;
  f.charSet = 128;
  f.pitchAndFamily = 0x31;
  f.faceName = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
  const std::string bytes = f.Pack();
  ASSERT_EQ(bytes.size(), 60u);
  EXPECT_EQ(bytes.substr(0, 4), "\xf4\xff\xff\xff");
  EXPECT_EQ(bytes.substr(16, 4), std::string("\xbc\x02\0\0", 4));
  EXPECT_EQ(bytes.substr(20, 8), std::string("\x01\0\0\x80\0\0\0\x31", 8));
  EXPECT_EQ(bytes.substr(28, f.faceName.size()), f.faceName);
  EXPECT_EQ(bytes[28 + f.faceName.size()], '\0');
  EXPECT_EQ(LogFont::Unpack(bytes), f);
  EXPECT_EQ(LogFont::Unpack(bytes.substr(1)), std::nullopt);

  LogFont longFace;
  longFace.faceName = std::string(30, 'a') + "\x82\x6c";  // 32 bytes: the last character cannot fit
  EXPECT_EQ(LogFont::Unpack(longFace.Pack())->faceName, std::string(30, 'a'));
}

TEST_F(PreferencesTest, NoFileMeansEveryPreferenceIsAbsent) {
  EXPECT_EQ(Prefs().ReadWindow(), std::nullopt);
  EXPECT_EQ(Prefs().ReadFont(), std::nullopt);
  EXPECT_EQ(Prefs().ReadFlag(), std::nullopt);
  EXPECT_EQ(Prefs().ReadLogName(), std::nullopt);
  EXPECT_TRUE(Prefs().ReadHistory().empty());
  EXPECT_EQ(Prefs().ReadListLayout(), std::nullopt);
  EXPECT_EQ(Prefs().ReadPortMapping(1), std::nullopt);
}

TEST_F(PreferencesTest, EveryPreferenceRoundTrips) {
  LogFont font;
  font.height = -16;
  font.faceName = "IPAGothic";
  ListLayout list{{100, 60, 120, 60}, SamplePlacement(kShowNormal)};
  ASSERT_TRUE(Prefs().WriteWindow({231, SamplePlacement(kShowMaximized)}));
  ASSERT_TRUE(Prefs().WriteFont(font));
  ASSERT_TRUE(Prefs().WriteFlag(ViewFlags{false, true}.Bits()));
  ASSERT_TRUE(Prefs().WriteLogName("/var/log/ta \xe3\x83\xad\xe3\x82\xb0.log"));
  ASSERT_TRUE(Prefs().WriteListLayout(list));
  ASSERT_TRUE(Prefs().WriteHistory({"/a/one.vxp", "/b/two.VXP"}));

  const auto window = Prefs().ReadWindow();
  ASSERT_TRUE(window);
  EXPECT_EQ(window->treeWidth, 231);
  EXPECT_EQ(window->placement, SamplePlacement(kShowMaximized));
  EXPECT_EQ(Prefs().ReadFont(), font);
  EXPECT_EQ(Prefs().ReadFlag(), 2u);
  EXPECT_EQ(Prefs().ReadLogName(), "/var/log/ta \xe3\x83\xad\xe3\x82\xb0.log");
  const auto readList = Prefs().ReadListLayout();
  ASSERT_TRUE(readList);
  EXPECT_EQ(readList->columnWidths, list.columnWidths);
  EXPECT_EQ(readList->placement, list.placement);
  EXPECT_EQ(Prefs().ReadHistory(),
            (std::vector<std::string>{"/a/one.vxp", "/b/two.VXP", "", "", ""}))
      << "the free entries are written as empty texts and read back as present";
}

TEST_F(PreferencesTest, MinimisedWindowsAreStoredAsNormal) {
  ASSERT_TRUE(Prefs().WriteWindow({100, SamplePlacement(kShowMinimized)}));
  EXPECT_EQ(Prefs().ReadWindow()->placement.showCmd, kShowNormal);
  ASSERT_TRUE(Prefs().WriteListLayout({{1, 2, 3, 4}, SamplePlacement(kShowMinimized)}));
  EXPECT_EQ(Prefs().ReadListLayout()->placement.showCmd, kShowNormal);
}

TEST_F(PreferencesTest, WindowNeedsBothValuesOfTheRightSize) {
  const std::string placement = SamplePlacement(kShowNormal).Pack();
  Store().Write(kWindowKey, "wndpl", PreferenceValue::Binary(placement));
  EXPECT_EQ(Prefs().ReadWindow(), std::nullopt) << "only wndpl";
  Store().Write(kWindowKey, "tree1width", PreferenceValue::Text("200"));
  EXPECT_EQ(Prefs().ReadWindow(), std::nullopt) << "tree1width of the wrong type";
  Store().Write(kWindowKey, "tree1width", PreferenceValue::Dword(200));
  Store().Write(kWindowKey, "wndpl", PreferenceValue::Binary(placement + "xx"));
  EXPECT_EQ(Prefs().ReadWindow(), std::nullopt) << "wndpl too large";
  Store().Write(kWindowKey, "wndpl", PreferenceValue::Binary(placement));
  EXPECT_EQ(Prefs().ReadWindow()->treeWidth, 200);
}

TEST_F(PreferencesTest, HistoryStopsAtTheFirstAbsentEntry) {
  Store().Write(kHistoryKey, "hist0", PreferenceValue::Text("/x/a.vxp"));
  Store().Write(kHistoryKey, "hist1", PreferenceValue::Text(""));
  Store().Write(kHistoryKey, "hist2", PreferenceValue::Text("/x/c.vxp"));
  Store().Write(kHistoryKey, "hist4", PreferenceValue::Text("/x/e.vxp"));
  EXPECT_EQ(Prefs().ReadHistory(), (std::vector<std::string>{"/x/a.vxp", "", "/x/c.vxp"}));
  EXPECT_EQ(Prefs().ReadHistoryEntry(4), "/x/e.vxp");
}

TEST_F(PreferencesTest, TextsLongerThanAPathAreAbsent) {
  const std::string longest(kMaxPreferenceText, 'p');
  ASSERT_TRUE(Prefs().WriteLogName(longest));
  EXPECT_EQ(Prefs().ReadLogName(), longest);
  ASSERT_TRUE(Prefs().WriteLogName(longest + "p"));
  EXPECT_EQ(Prefs().ReadLogName(), std::nullopt);
}

TEST_F(PreferencesTest, ListLayoutNeedsAllFiveValues) {
  ASSERT_TRUE(Prefs().WriteListLayout({{1, 2, 3, 4}, SamplePlacement(kShowNormal)}));
  WriteFile(Store().Path(), [&] {
    std::string text = ReadFile(Store().Path());
    text.replace(text.find("\"width2\""), 8, "\"widthX\"");
    return text;
  }());
  EXPECT_EQ(Prefs().ReadListLayout(), std::nullopt);
  Store().Write(kListKey, "width2", PreferenceValue::Dword(3));
  EXPECT_TRUE(Prefs().ReadListLayout());
}

TEST_F(PreferencesTest, FlagBitsBeyondTheFirstTwoAreIgnored) {
  Store().Write("software\\marlen\\Vexa\\flag", "flag", PreferenceValue::Dword(0xfffffff2));
  const ViewFlags flags = ViewFlags::FromBits(*Prefs().ReadFlag());
  EXPECT_FALSE(flags.menuMode);
  EXPECT_TRUE(flags.commandListOpen);
  EXPECT_EQ(flags.Bits(), 2u);
}

TEST_F(PreferencesTest, PortMappingsComeFromThePortsKey) {
  Store().Write("software\\marlen\\Vexa\\ports", "COM3", PreferenceValue::Text("/dev/ttyUSB0"));
  EXPECT_EQ(Prefs().ReadPortMapping(3), "/dev/ttyUSB0");
  EXPECT_EQ(Prefs().ReadPortMapping(2), std::nullopt);
}

}  // namespace
}  // namespace vexa
