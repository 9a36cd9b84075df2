// SPDX-License-Identifier: GPL-3.0-or-later
// The answer list through the real main window: arrival times and sent lines from a
// pseudo-terminal device, the find bar, and the list's right-button menu.

#include "gui/features/AnswerListCommands.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QTest>
#include <map>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/codec/TimeText.h"
#include "core/files/CommandFile.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/controls/FindBar.h"
#include "support/LineResponder.h"
#include "support/MainWindowFixture.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;

class AnswerListCommandsTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Start();
    Work().Settings().portName = device_.PortPath();
  }

  CAnswerList& List() { return Dialog().AnswerList(); }
  CFindBar& Bar() { return Dialog().FindBar(); }
  void LoadItems(const std::string& lines) {
    CommSettings current = Work().Settings();
    current.formatTag = kCurrentFormatTag;
    LoadItemsFromText(Dialog().Tree(), Utf8ToCp932(lines), current);
  }
  void Connect() {
    Dialog().ExecuteCommand(kCmdConnect);
    ASSERT_TRUE(Work().IsConnected());
  }
  void AddLines(std::initializer_list<const char*> lines) {
    std::vector<AnswerLine> batch;
    for (const char* line : lines) batch.push_back({line});
    List().AddLines(batch);
    Settle();
  }
  // Opens the list's right-button menu and chooses `command` (0: dismisses it).
  void ChooseFromMenu(int command) {
    ui_.menuAnswers.push_back(command);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            List().viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(List().viewport(), &event);
  }

  test::PseudoTerminal device_;
  test::TempDir dir_;
};

TEST_F(AnswerListCommandsTest, SwitchesAreRememberedInValuesOfTheirOwnAndSurviveANewMenu) {
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdShowTimes));
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdShowSent));
  Dialog().ExecuteCommand(kCmdShowTimes);
  Dialog().ExecuteCommand(kCmdShowSent);
  EXPECT_TRUE(List().TimesShown());
  EXPECT_TRUE(Work().SentLinesShown());
  EXPECT_EQ(App().Prefs().ReadShowTimes(), true);
  EXPECT_EQ(App().Prefs().ReadShowSent(), true);
  EXPECT_FALSE(App().Prefs().ReadFlag()) << "the flag value is not touched";
  Dialog().MenuSetup();
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdShowTimes));
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdShowSent));

  Dialog().ExecuteCommand(kCmdShowSent);
  App().DestroyMainDialog();
  App().CreateMainDialog(QString());
  Start();
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdShowTimes)) << "read at start-up";
  EXPECT_TRUE(List().TimesShown());
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdShowSent));
  EXPECT_FALSE(Work().SentLinesShown());
}

// The device answers every line with "=" and the line; a periodic "P" is answered "=P", which
// starts the automatic answer "A". Each line of the list comes after the one it answers.
TEST_F(AnswerListCommandsTest, SentLinesTakeTheirPlaceAmongReceivedOnes) {
  LoadItems("2,7681,poll;P\n0,257,reply;=P\n2,1,answer;A\n");  // P every 30 ms
  Dialog().ExecuteCommand(kCmdShowSent);
  Dialog().ExecuteCommand(kCmdShowTimes);
  test::LineResponder responder(device_);
  Connect();
  Dialog().CommandBox().setEditText("AT");
  Dialog().ExecuteCommand(kCmdSend);
  const auto count = [&](RecordOrigin origin, const QString& text) {
    int n = 0;
    for (int row = 0; row < List().Count(); ++row)
      n += List().OriginOf(row) == origin && List().ShownText(row) == text;
    return n;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return count(RecordOrigin::kReceived, "=A") >= 4; }, 5000));
  Dialog().ExecuteCommand(kCmdDisconnect);

  std::map<QString, int> seen;
  for (int row = 0; row < List().Count(); ++row) {
    const QString line = List().LineAsShown(row).section(' ', 1);  // without the time
    ++seen[line];
    if (line.startsWith('=')) {
      const QString asked = line.mid(1);
      EXPECT_LE(seen[line], seen["→ " + asked] + seen["⟳ " + asked] + seen["↩ " + asked])
          << line.toStdString() << " came before it was sent";
    } else if (line == "↩ A") {
      EXPECT_LE(seen[line], seen["=P"]) << "an answer before the line it answers";
    }
  }
  EXPECT_EQ(seen["→ AT"], 1);
  EXPECT_EQ(seen["=AT"], 1);
  EXPECT_GE(seen["⟳ P"], 4);
  EXPECT_GE(seen["↩ A"], 4);
}

TEST_F(AnswerListCommandsTest, TheTimeIsWhenTheReceiveThreadReadTheLineNotWhenItWasShown) {
  Dialog().ExecuteCommand(kCmdShowTimes);
  Connect();
  const WallTime written = WallClockNow();
  ASSERT_TRUE(device_.Write("late\r\n"));
  std::this_thread::sleep_for(400ms);  // the window is busy
  ASSERT_TRUE(QTest::qWaitFor([&] { return List().Count() == 1; }, 5000));
  const WallTime shown = WallClockNow();
  EXPECT_LT(List().TimeOf(0) - written, 150ms);
  EXPECT_GE(shown - List().TimeOf(0), 350ms);
  EXPECT_EQ(List().LineAsShown(0),
            QString::fromStdString(TimeOfDayText(List().TimeOf(0))) + " late");
}

TEST_F(AnswerListCommandsTest, FindBarOpensFromTheListAndKeepsItsKeysFromTheWindow) {
  int defaults = 0;
  Dialog().SetCommandHandler(kCmdDefaultSet, [&] { ++defaults; });
  AddLines({"OK", "RING", "ok then", "RING again"});
  Dialog().Tree().setFocus();
  Settle();
  QTest::keyClick(&Dialog().Tree(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(defaults, 1) << "Ctrl+F in the tree stays デフォルト";
  EXPECT_FALSE(Bar().isVisible());

  const QRect listArea = List().geometry();
  List().setFocus();
  Settle();
  QTest::keyClick(&List(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(Bar().isVisible());
  EXPECT_TRUE(Bar().Field().hasFocus());
  EXPECT_TRUE(Bar().Field().isClearButtonEnabled());
  EXPECT_EQ(List().geometry().bottom() + 1, Bar().geometry().top()) << "the bar is under the list";
  EXPECT_EQ(Bar().geometry().bottom(), listArea.bottom());

  QTest::keyClicks(&Bar().Field(), "ring");
  QTest::keyClick(&Bar().Field(), Qt::Key_Return);
  ASSERT_TRUE(List().ShownMatch());
  EXPECT_EQ(List().ShownMatch()->row, 1);
  EXPECT_EQ(ui_.beeps, 0) << "Enter found, it did not reach the window (sending beeps)";
  EXPECT_TRUE(List().IsHolding());
  QTest::keyClick(&Bar().Field(), Qt::Key_F3);
  EXPECT_EQ(List().ShownMatch()->row, 3);
  List().setFocus();
  QTest::keyClick(&List(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(List().ShownMatch()->row, 1);
  EXPECT_EQ(List().HighlightsIn(3).size(), 1u) << "every match is highlighted";

  Bar().FocusField();
  QTest::keyClicks(&Bar().Field(), "absent");
  QTest::keyClick(&Bar().Field(), Qt::Key_Return);
  EXPECT_EQ(ui_.beeps, 1);
  EXPECT_EQ(Bar().OutcomeText(), "見つかりません");
  EXPECT_FALSE(List().IsHolding()) << "nothing shown, nothing held";

  Bar().Field().clear();
  QTest::keyClicks(&Bar().Field(), "RING");
  QTest::keyClick(&Bar().Field(), Qt::Key_Return);
  ASSERT_TRUE(List().IsHolding());
  QTest::keyClick(&Bar().Field(), Qt::Key_Escape);
  EXPECT_FALSE(Bar().isVisible());
  EXPECT_TRUE(Dialog().isVisible()) << "Escape closed the bar, not the window";
  EXPECT_FALSE(List().IsHolding());
  EXPECT_TRUE(List().HighlightsIn(1).empty());
  EXPECT_EQ(List().geometry(), listArea);
}

TEST_F(AnswerListCommandsTest, ContextMenuCopiesClearsAndSavesTheLinesAsShown) {
  ChooseFromMenu(0);
  ASSERT_EQ(ui_.menus.size(), 1u);
  std::vector<std::pair<std::string, bool>> entries;
  for (const MenuEntry& entry : ui_.menus[0].entries) {
    if (entry.kind == MenuEntry::Kind::kCommand) entries.emplace_back(entry.text, entry.enabled);
  }
  EXPECT_EQ(entries,
            (std::vector<std::pair<std::string, bool>>{{"ｺﾋﾟｰ(&C)", false},
                                                       {"すべて選択(&A)", false},
                                                       {"検索(&F)...", true},
                                                       {"ｸﾘｱ(&L)", false},
                                                       {"名前をつけて保存(&S)...", false}}))
      << "an empty list";

  Dialog().ExecuteCommand(kCmdShowSent);
  test::LineResponder responder(device_);
  const std::string log = dir_.File("kept.log");
  ui_.fileAnswers.push_back(QString::fromStdString(log));
  Dialog().ExecuteCommand(kCmdLog);
  Connect();
  Dialog().CommandBox().setEditText("AT\\x1b");
  Work().Settings().useEscapes = 1;
  Dialog().ExecuteCommand(kCmdSend);
  ASSERT_TRUE(QTest::qWaitFor([&] { return List().Count() == 2; }, 5000));
  ChooseFromMenu(kCmdAnswerSelectAll);
  ChooseFromMenu(kCmdAnswerCopy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "→ AT␛\n=AT␛");
  EXPECT_TRUE(ui_.menus.back().entries[0].enabled);

  const std::string saved = dir_.File("list.txt");
  ui_.fileAnswers.push_back(QString::fromStdString(saved));
  ChooseFromMenu(kCmdAnswerSave);
  EXPECT_EQ(ui_.fileRequests.back().initialName, "*.txt");
  EXPECT_EQ(test::ReadFile(saved), "→ AT␛\n=AT␛\n");

  ChooseFromMenu(kCmdAnswerClear);
  EXPECT_EQ(List().Count(), 0);
  Dialog().ExecuteCommand(kCmdDisconnect);
  Dialog().ExecuteCommand(kCmdLog);
  EXPECT_EQ(test::ReadFile(log), "=AT\x1b\r\n") << "the log keeps what was received, only that";
}

}  // namespace
}  // namespace vexa
