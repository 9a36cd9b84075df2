// SPDX-License-Identifier: GPL-3.0-or-later
// The tree's commands through the real main window: inserting, deleting, the item editor,
// the kind commands, the context menu, double clicks and the default set.

#include "gui/features/TreeCommands.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <functional>
#include <string>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/link/LinkSession.h"
#include "gui/controls/CmdEdit.h"
#include "gui/controls/CmdEditBox.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/features/FileCommands.h"
#include "gui/features/LinkControl.h"
#include "gui/features/SettingsCommands.h"
#include "support/MainWindowFixture.h"
#include "support/MenuText.h"
#include "support/PseudoTerminal.h"
#include "support/TreeFill.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using Rows = std::vector<std::string>;

class TreeCommandsTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Start();
  }

  CCmdTree& Tree() { return Dialog().Tree(); }
  CCmdEdit& Editor() { return *App().TreeEditing().Editor(); }
  CCmdEditBox& Field() { return Editor().Field(); }
  QString Title() { return Dialog().windowTitle(); }
  CAttr& RecordOf(ItemHandle item) { return *Tree().Record(item); }
  std::string LabelOf(ItemHandle item) { return Cp932ToUtf8(RecordOf(item).label); }
  ItemHandle Top(int i) { return CCmdTree::HandleOf(Tree().topLevelItem(i)); }
  bool DeleteEnabled() {
    EXPECT_EQ(Dialog().IsCommandEnabled(kCmdDelete), Dialog().IsCommandEnabled(kCmdDeleteAll));
    return Dialog().IsCommandEnabled(kCmdDelete);
  }

  // Loads item lines of the older form ("level,label") as a file would, with the dialog's
  // settings; the window then counts as just loaded.
  void Fill(const std::string& utf8Lines) { test::LoadTree(App(), utf8Lines); }

  void TypeAndPress(const QString& text, Qt::Key key) {
    Field().selectAll();
    QTest::keyClicks(&Field(), text);
    QTest::keyClick(&Field(), key);
  }

  void RightClick(QPoint viewportPoint) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, viewportPoint,
                            Tree().viewport()->mapToGlobal(viewportPoint));
    QApplication::sendEvent(Tree().viewport(), &event);
  }
  QPoint CentreOf(ItemHandle item) {
    return Tree().visualItemRect(CCmdTree::ItemOf(item)).center();
  }
  // A click, then the second press of a double click.
  void DoubleClick(QPoint viewportPoint) {
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, viewportPoint);
    QTest::mouseDClick(Tree().viewport(), Qt::LeftButton, {}, viewportPoint);
    QTest::mouseRelease(Tree().viewport(), Qt::LeftButton, {}, viewportPoint);
  }
};

TEST_F(TreeCommandsTest, InsertOnAnEmptyTreeCreatesAHeadingAndOpensTheEditor) {
  ASSERT_TRUE(Tree().IsEmpty());
  Dialog().SetCommandEnable(kCmdDelete, false);
  Dialog().SetCommandEnable(kCmdDeleteAll, false);
  Dialog().ExecuteCommand(kCmdInsert);
  ASSERT_EQ(Tree().topLevelItemCount(), 1);
  const ItemHandle item = Top(0);
  EXPECT_EQ(LabelOf(item), "新しいアイテム");
  EXPECT_EQ(RecordOf(item).sendKind, kKindNone);
  EXPECT_EQ(ImageOf(item), CCmdTree::kImageHeading);
  EXPECT_EQ(Tree().SelectedItem(), item);
  EXPECT_TRUE(DeleteEnabled());
  EXPECT_EQ(Title(), "Vexa(更新)");
  EXPECT_TRUE(Editor().isVisible());
  EXPECT_EQ(Field().text(), "新しいアイテム");
  EXPECT_EQ(App().TreeEditing().EditedItem(), item);
  const QRect label = Tree().LabelRect(item);
  EXPECT_EQ(Editor().geometry().topLeft(), label.topLeft()) << "laid over the label";
  EXPECT_EQ(Editor().width(), label.width() + 5);
  EXPECT_EQ(QFontInfo(Field().font()).family(), "IPAGothic") << "a fixed-pitch face";
}

TEST_F(TreeCommandsTest, InsertPlacesNewItemsByTheSelection) {
  Fill("2,a\n3,a1\n3,a2\n2,b\n");
  QTest::keyClick(&Field(), Qt::Key_Escape);  // nothing open: harmless
  Tree().clearSelection();
  Dialog().ExecuteCommand(kCmdInsert);
  EXPECT_EQ(Tree().topLevelItemCount(), 2) << "items present, none selected: nothing";
  EXPECT_EQ(Title(), "Vexa") << "and nothing modified";

  const ItemHandle a1 = Tree().FirstChild(Top(0));
  Tree().SelectItem(a1);
  Dialog().ExecuteCommand(kCmdInsert);
  QTest::keyClick(&Field(), Qt::Key_Escape);
  ItemHandle inserted = Tree().NextSibling(a1);
  EXPECT_EQ(LabelOf(inserted), "新しいアイテム") << "directly after the selected item";
  EXPECT_EQ(LabelOf(Tree().NextSibling(inserted)), "a2");

  Tree().SelectItem(Top(0));
  Dialog().ExecuteCommand(kCmdInsertChild);
  QTest::keyClick(&Field(), Qt::Key_Escape);
  EXPECT_EQ(CCmdTree::ItemOf(Top(0))->childCount(), 4);
  EXPECT_EQ(Tree().SelectedItem(), CCmdTree::HandleOf(CCmdTree::ItemOf(Top(0))->child(3)))
      << "the last child";
  EXPECT_EQ(Title(), "Vexa(更新)");
}

TEST_F(TreeCommandsTest, DeletingGreysTheDeleteCommandsWhenTheTreeIsEmpty) {
  Fill("2,a\n3,a1\n4,a11\n2,b\n");
  EXPECT_TRUE(DeleteEnabled());
  Tree().clearSelection();
  Dialog().ExecuteCommand(kCmdDelete);
  EXPECT_EQ(Tree().topLevelItemCount(), 2) << "nothing selected: nothing deleted";
  EXPECT_EQ(Title(), "Vexa");

  Tree().SelectItem(Top(0));
  Dialog().ExecuteCommand(kCmdDelete);
  ASSERT_EQ(Tree().topLevelItemCount(), 1) << "the item with its subtree";
  EXPECT_EQ(LabelOf(Top(0)), "b");
  EXPECT_EQ(Tree().SelectedItem(), Top(0)) << "the next item takes the selection";
  EXPECT_TRUE(DeleteEnabled());
  EXPECT_EQ(Title(), "Vexa(更新)");

  Dialog().ExecuteCommand(kCmdDelete);
  EXPECT_TRUE(Tree().IsEmpty());
  EXPECT_FALSE(DeleteEnabled());

  Fill("2,a\n2,b\n");
  Dialog().ExecuteCommand(kCmdDeleteAll);
  EXPECT_TRUE(Tree().IsEmpty());
  EXPECT_FALSE(DeleteEnabled());
  EXPECT_EQ(Title(), "Vexa(更新)");
}

TEST_F(TreeCommandsTest, TheEditorReportsWhetherTheLineChanged) {
  Fill("2,heading\n");
  const ItemHandle item = Top(0);
  struct Case {
    const char* what;
    QString typed;  // empty: nothing typed
    Qt::Key key;
    const char* label;
    std::int32_t kind;
  };
  const Case cases[] = {
      {"Enter without typing", "", Qt::Key_Return, "heading", kKindNone},
      {"Escape after typing", "x;AT", Qt::Key_Escape, "heading", kKindNone},
      {"Enter after typing", "hello;AT", Qt::Key_Return, "hello;AT", kKindText},
  };
  for (const Case& c : cases) {
    Tree().SelectItem(item);
    Dialog().ExecuteCommand(kCmdEditItem);
    ASSERT_TRUE(Editor().isVisible()) << c.what;
    EXPECT_EQ(Field().text(), QString::fromUtf8(LabelOf(item).c_str())) << c.what;
    if (c.typed.isEmpty()) {
      QTest::keyClick(&Field(), c.key);
    } else {
      TypeAndPress(c.typed, c.key);
    }
    EXPECT_FALSE(Editor().isVisible()) << c.what;
    EXPECT_EQ(App().TreeEditing().EditedItem(), nullptr) << c.what;
    EXPECT_EQ(LabelOf(item), c.label) << c.what;
    EXPECT_EQ(RecordOf(item).sendKind, c.kind) << c.what;
  }
  EXPECT_EQ(RecordOf(item).sendBytes, "AT\r\n");
  EXPECT_EQ(RecordOf(item).sendDescription, "hello");
  EXPECT_EQ(ImageOf(item), CCmdTree::kImageText);
  EXPECT_EQ(CCmdTree::ItemOf(item)->text(0), "hello;AT");
  EXPECT_EQ(Title(), "Vexa(更新)");
}

TEST_F(TreeCommandsTest, ClickingElsewhereAppliesTheTypedLine) {
  Fill("2,a\n2,b\n");
  Tree().SelectItem(Top(1));
  Dialog().ExecuteCommand(kCmdEditItem);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Editor()));
  QTest::keyClicks(&Field(), "b;ATZ");
  Dialog().activateWindow();
  Dialog().CommandBox().setFocus();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Editor().isVisible(); }));
  EXPECT_EQ(LabelOf(Top(1)), "b;ATZ");
  EXPECT_EQ(Tree().SelectedItem(), Top(1));
}

TEST_F(TreeCommandsTest, DataThatIsNotHexAsksAndNoReopensTheOldLine) {
  Work().Settings().hexInputDefault = 1;
  Fill("2,frame;0D0A\n");
  const ItemHandle item = Top(0);
  ASSERT_EQ(RecordOf(item).sendKind, kKindHex);
  Tree().SelectItem(item);
  Dialog().ExecuteCommand(kCmdEditItem);
  ui_.messageAnswers = {ui::Answer::kNo};
  TypeAndPress("frame;ATZ", Qt::Key_Return);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "16進数にできません。テキストデータとしますか？");
  EXPECT_EQ(ui_.messages[0].caption, "送信ｴﾗｰ");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kStop);
  EXPECT_EQ(ui_.messages[0].buttons, ui::Buttons::kYesNo);
  EXPECT_TRUE(Editor().isVisible()) << "No: the edit starts again";
  EXPECT_EQ(Field().text(), "frame;0D0A") << "with the item's unchanged line";
  EXPECT_EQ(LabelOf(item), "frame;0D0A");
  EXPECT_EQ(App().TreeEditing().EditedItem(), item);
  EXPECT_EQ(Title(), "Vexa");

  ui_.messageAnswers = {ui::Answer::kYes};
  TypeAndPress("frame;ATZ", Qt::Key_Return);
  EXPECT_FALSE(Editor().isVisible());
  EXPECT_EQ(RecordOf(item).sendKind, kKindText) << "Yes: kept as text";
  EXPECT_EQ(RecordOf(item).sendBytes, "ATZ\r\n");
  EXPECT_EQ(ImageOf(item), CCmdTree::kImageText);
  EXPECT_EQ(Title(), "Vexa(更新)");
}

TEST_F(TreeCommandsTest, AnEscapeErrorInTheLineReopensTheEditor) {
  Work().Settings().useEscapes = 1;
  Fill("2,a;AT\n");
  Tree().SelectItem(Top(0));
  Dialog().ExecuteCommand(kCmdEditItem);
  TypeAndPress("a;AT\\q", Qt::Key_Return);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "ｴｽｹｰﾌﾟ文字の誤りです。");
  EXPECT_EQ(ui_.messages[0].caption, "送信ｴﾗｰ");
  EXPECT_EQ(ui_.messages[0].buttons, ui::Buttons::kOk);
  EXPECT_TRUE(Editor().isVisible());
  EXPECT_EQ(Field().text(), "a;AT");
  QTest::keyClick(&Field(), Qt::Key_Escape);
  EXPECT_EQ(LabelOf(Top(0)), "a;AT");
}

TEST_F(TreeCommandsTest, OpeningTheEditorForgetsAnEarlierSumAndItsUndo) {
  Fill("2,f;0102\n");
  Tree().SelectItem(Top(0));
  Dialog().ExecuteCommand(kCmdEditItem);
  Field().setSelection(2, 4);
  Field().RunEditCommand(kIdByteTotal);
  ASSERT_EQ(Field().Sum().SumText(), "03");
  QTest::keyClick(&Field(), Qt::Key_Escape);
  Dialog().ExecuteCommand(kCmdEditItem);
  EXPECT_EQ(Field().Sum().SumText(), "");
  EXPECT_FALSE(Field().isUndoAvailable());
  QTest::keyClick(&Field(), Qt::Key_Escape);
}

TEST_F(TreeCommandsTest, KindCommandsReinterpretTheDataOrSayWhyNot) {
  Work().Settings().useEscapes = 1;
  Fill("2,number;41\n2,hello;AT\n2,heading\n2,bad;A\\q\n");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "無効なﾃﾞｰﾀがあったので削除しました。")
      << "the load drops the bad escape";
  ui_.messages.clear();
  const ItemHandle number = Top(0);
  ASSERT_EQ(RecordOf(number).sendBytes, "41\r\n");
  Tree().SelectItem(number);
  Dialog().ExecuteCommand(kCmdHexData);
  EXPECT_EQ(RecordOf(number).sendKind, kKindHex);
  EXPECT_EQ(RecordOf(number).sendBytes, "A\r\n");
  EXPECT_EQ(LabelOf(number), "number;41");
  EXPECT_EQ(ImageOf(number), CCmdTree::kImageHex);
  EXPECT_EQ(Title(), "Vexa(更新)");

  Tree().SelectItem(Top(1));
  Dialog().ExecuteCommand(kCmdHexData);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "HEXにできません");
  EXPECT_EQ(ui_.messages[0].caption, "Vexa");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kStop);
  EXPECT_EQ(RecordOf(Top(1)).sendKind, kKindText);
  EXPECT_EQ(RecordOf(Top(1)).sendBytes, "AT\r\n");
  EXPECT_EQ(ImageOf(Top(1)), CCmdTree::kImageText);

  Tree().SelectItem(Top(2));
  Dialog().ExecuteCommand(kCmdHexData);
  Dialog().ExecuteCommand(kCmdTextData);
  EXPECT_EQ(ui_.messages.size(), 1u) << "a heading: nothing happens";
  EXPECT_EQ(RecordOf(Top(2)).sendKind, kKindNone);

  // Data that could not be derived when loaded is a heading now; as typed HEX it is refused.
  EXPECT_EQ(RecordOf(Top(3)).sendKind, kKindNone);
  RecordOf(Top(3)).sendKind = kKindHex;
  Tree().SelectItem(Top(3));
  Dialog().ExecuteCommand(kCmdTextData);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text, "ｴｽｹｰﾌﾟ文字が変換できません");
  EXPECT_EQ(RecordOf(Top(3)).sendKind, kKindHex) << "unchanged";
}

TEST_F(TreeCommandsTest, ContextMenuRowsFollowTheItemUnderTheCursor) {
  RightClick(QPoint(5, 5));
  Fill("2,hex;0D0A\n2,text;AT\n2,heading\n");
  RecordOf(Top(0)).sendKind = kKindHex;
  Tree().RecordChanged(Top(0));
  for (int i = 0; i < 3; ++i) RightClick(CentreOf(Top(i)));
  RightClick(QPoint(5, Tree().viewport()->height() - 5));  // below the items
  Dialog().SetCommandEnable(kCmdDefaultSet, false);        // as while connected
  RightClick(CentreOf(Top(1)));

  const Rows itemRows = {"挿入(&I)",   "子挿入(&C)", "-",          "削除(&D)",
                         "全削除(&A)", "-",          "ﾃﾞﾌｫﾙﾄ(&F)", "-"};
  auto with = [&](Rows tail) {
    Rows rows = itemRows;
    rows.insert(rows.end(), tail.begin(), tail.end());
    return rows;
  };
  ASSERT_EQ(ui_.menus.size(), 6u);
  EXPECT_EQ(test::Rows(ui_.menus[0].entries), (Rows{"挿入(&I)", "子挿入(&C)", "-", "ﾃﾞﾌｫﾙﾄ(&F)"}))
      << "empty tree";
  EXPECT_EQ(ui_.menus[0].screenPoint, Tree().viewport()->mapToGlobal(QPoint(5, 5)));
  EXPECT_EQ(test::Rows(ui_.menus[1].entries), with({"TEXT ﾃﾞｰﾀ", "詳細設定(&P)", "編集(&E)"}));
  EXPECT_EQ(test::Rows(ui_.menus[2].entries), with({"HEX ﾃﾞｰﾀ", "詳細設定(&P)", "編集(&E)"}));
  EXPECT_EQ(test::Rows(ui_.menus[3].entries), with({"詳細設定(&P)", "編集(&E)"}));
  EXPECT_EQ(test::Rows(ui_.menus[4].entries), with({"詳細設定(&P)", "編集(&E)"}))
      << "the last visible item";
  EXPECT_EQ(Tree().SelectedItem(), Top(1)) << "the clicked item is selected";
  EXPECT_EQ(test::Rows(ui_.menus[5].entries),
            (Rows{"挿入(&I)", "子挿入(&C)", "-", "削除(&D)", "全削除(&A)", "-", "HEX ﾃﾞｰﾀ",
                  "詳細設定(&P)", "編集(&E)"}))
      << "no default set while its command is greyed";

  ui_.menuAnswers = {kCmdHexData};
  RightClick(CentreOf(Top(0)));
  EXPECT_EQ(RecordOf(Top(0)).sendKind, kKindHex) << "the chosen row runs its command";
}

TEST_F(TreeCommandsTest, TheMenuKeyOpensTheMenuOnlyOnAnEmptyTree) {
  QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                        Tree().mapToGlobal(QPoint(0, 0)));
  QApplication::sendEvent(&Tree(), &key);
  ASSERT_EQ(ui_.menus.size(), 1u);
  EXPECT_EQ(ui_.menus[0].screenPoint, Tree().mapToGlobal(QPoint(0, 0)))
      << "at the tree's top-left corner";
  Fill("2,a;AT\n");
  Tree().SelectItem(Top(0));
  QApplication::sendEvent(&Tree(), &key);
  EXPECT_EQ(ui_.menus.size(), 1u) << "without Shift+F10 held, nothing";
}

TEST_F(TreeCommandsTest, DoubleClickBeepsWhileDisconnectedAndSendsWhileConnected) {
  test::PseudoTerminal device;
  ASSERT_TRUE(device.IsValid());
  Fill("2,group\n3,child;AT\n");
  const QPoint group = CentreOf(Top(0));
  DoubleClick(group);
  EXPECT_EQ(ui_.beeps, 1);
  EXPECT_TRUE(CCmdTree::ItemOf(Top(0))->isExpanded()) << "not handled: the tree expands the item";

  Work().Settings().portName = device.PortPath();
  Dialog().ExecuteCommand(kCmdConnect);
  ASSERT_TRUE(Work().IsConnected());
  DoubleClick(group);
  EXPECT_EQ(ui_.beeps, 1);
  EXPECT_TRUE(CCmdTree::ItemOf(Top(0))->isExpanded()) << "handled: no collapse";
  DoubleClick(CentreOf(Tree().FirstChild(Top(0))));
  EXPECT_EQ(device.Read(4, std::chrono::seconds(5)), "AT\r\n") << "the heading sent nothing";
}

TEST_F(TreeCommandsTest, CtrlHomeAndCtrlEndSelectTheFirstAndLastItems) {
  Fill("2,a\n3,a1\n2,b\n3,b1\n4,b11\n");
  Dialog().ExecuteCommand(kCmdSelectLast);
  EXPECT_EQ(LabelOf(Tree().SelectedItem()), "b11")
      << "the last item of the walk, even when collapsed";
  Dialog().ExecuteCommand(kCmdSelectFirst);
  EXPECT_EQ(Tree().SelectedItem(), Top(0));
}

TEST_F(TreeCommandsTest, TheDefaultSetReplacesSettingsAndTreeWithoutAsking) {
  Work().Settings().useEscapes = 1;
  Work().Settings().baudRate = 115200;
  Dialog().ExecuteCommand(kCmdDeleteAll);
  ASSERT_FALSE(DeleteEnabled());
  Dialog().ExecuteCommand(kCmdDefaultSet);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(Work().Settings(), kDefaultCommSettings);
  EXPECT_TRUE(DeleteEnabled());
  EXPECT_EQ(Title(), "Vexa(更新)");

  ASSERT_EQ(Tree().topLevelItemCount(), 8);
  int items = 0, withData = 0;
  ForEachItem(Tree(), nullptr, [&](ItemHandle item, int) {
    ++items;
    const CAttr& r = RecordOf(item);
    withData += r.sendText.empty() ? 0 : 1;
    EXPECT_EQ(ImageOf(item), r.sendText.empty() ? CCmdTree::kImageHeading : CCmdTree::kImageText)
        << LabelOf(item);
    EXPECT_FALSE(CCmdTree::ItemOf(item)->isExpanded());
  });
  EXPECT_EQ(items, 202);
  EXPECT_EQ(withData, 152);
  EXPECT_EQ(LabelOf(Top(0)), "御機嫌伺い;AT");
  EXPECT_EQ(LabelOf(Top(1)), "操作");
  EXPECT_EQ(ImageOf(Top(1)), CCmdTree::kImageHeading);

  // "AT\Q0" keeps its backslash: escapes are off again.
  bool found = false;
  ForEachItem(Tree(), nullptr, [&](ItemHandle item, int) {
    if (RecordOf(item).sendText == "AT\\Q0") found = RecordOf(item).sendBytes == "AT\\Q0\r\n";
  });
  EXPECT_TRUE(found);
}

TEST_F(TreeCommandsTest, LongLabelsShowTheirFirst120BytesWithoutGarblingTheRest) {
  std::string label(119, 'x');
  label += "\x82\xa0";  // あ, cut after its first byte
  label += std::string(10, 'y');
  auto record = std::make_unique<CAttr>();
  record->label = label;
  const ItemHandle item = Tree().AppendItem(nullptr, std::move(record));
  EXPECT_EQ(CCmdTree::ItemOf(item)->text(0), QString(119, 'x') + QChar(0xFFFD) + "...");
  EXPECT_EQ(RecordOf(item).label, label);
}

TEST_F(TreeCommandsTest, RevalidationWhileConnectedReportsDroppedDataOnce) {
  Fill("2,a;AT\n2,b;0D0A\n");
  Work().Settings().hexInputDefault = 1;
  RecordOf(Top(0)).sendKind = kKindNone;
  RecordOf(Top(1)).sendKind = kKindNone;
  App().SettingsEditing().AdoptSettings(Work().Settings());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "無効なﾃﾞｰﾀがあったので削除しました。");
  EXPECT_EQ(RecordOf(Top(0)).sendKind, kKindNone) << "AT is no HEX";
  EXPECT_EQ(ImageOf(Top(0)), CCmdTree::kImageHeading);
  EXPECT_EQ(RecordOf(Top(1)).sendBytes, "\r\n\r\n");
  EXPECT_EQ(LabelOf(Top(0)), "a;AT") << "labels stay";
}

// While connected, deleting stops the items' timers and answers before their records go: a
// timer or an answer that still reached a deleted record would be caught by the sanitizers.
TEST_F(TreeCommandsTest, DeletingWhileConnectedStopsTimersAndAnswersFirst) {
  test::PseudoTerminal device;
  ASSERT_TRUE(device.IsValid());
  Fill("2,fast;AT\n2,answers;ATA\n2,keep;ATZ\n");
  RecordOf(Top(0)).repeatPeriod = 1;
  RecordOf(Top(1)).receiveText = "RING";
  RecordOf(Top(1)).answerDelay = 1;
  CommSettings settings = Work().Settings();
  settings.portName = device.PortPath();
  for (ItemHandle item : {Top(0), Top(1)}) RecordOf(item).BuildReceiveBytes(false);
  LinkSession& session = Work().Session();
  ASSERT_EQ(session.Open(settings), OpenResult::kOk);
  session.StartSending();
  EXPECT_TRUE(
      test::WaitUntil([&] { return device.Read(4, std::chrono::milliseconds(50)).size() == 4; }));

  Tree().SelectItem(Top(0));
  Dialog().ExecuteCommand(kCmdDelete);
  session.AnswerReceivedLine("RING");
  Tree().SelectItem(Top(0));
  Dialog().ExecuteCommand(kCmdDelete);  // "answers", with its answer pending
  device.ReadUntilQuiet(std::chrono::milliseconds(30));
  session.AnswerReceivedLine("RING");
  EXPECT_EQ(device.ReadUntilQuiet(std::chrono::milliseconds(30)), "") << "nothing left to send";
  Dialog().ExecuteCommand(kCmdDeleteAll);
  EXPECT_TRUE(Tree().IsEmpty());
  App().Link().Disconnect();
  session.Disconnect();
}

// Answers every message box as the script says, but first lets `whileAsking` run, as the
// window's event loop would while the box is open.
class UiThatWaits : public test::ScriptedUi {
 public:
  std::function<void()> whileAsking;
  ui::Answer Message(const ui::MessageRequest& request) override {
    if (whileAsking) whileAsking();
    return ScriptedUi::Message(request);
  }
};

TEST_F(TreeCommandsTest, AnAnswerStartedWhileAnEditAsksIsStillStoppedWithItsItem) {
  test::PseudoTerminal device;
  ASSERT_TRUE(device.IsValid());
  Work().Settings().hexInputDefault = 1;
  Fill("2,ans;0D\n");
  RecordOf(Top(0)).receiveText = "RING";
  RecordOf(Top(0)).receiveKind = kKindText;
  RecordOf(Top(0)).answerDelay = 200;
  RecordOf(Top(0)).BuildReceiveBytes(false);
  CommSettings settings = Work().Settings();
  settings.portName = device.PortPath();
  LinkSession& session = Work().Session();
  ASSERT_EQ(session.Open(settings), OpenResult::kOk);
  session.StartSending();

  UiThatWaits ui;
  ui.whileAsking = [&] { session.AnswerReceivedLine("RING"); };
  ui.messageAnswers = {ui::Answer::kYes};
  Tree().SelectItem(Top(0));
  Dialog().ExecuteCommand(kCmdEditItem);
  TypeAndPress("ans;ATA", Qt::Key_Return);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(RecordOf(Top(0)).sendBytes, "ATA\r\n");
  EXPECT_NE(RecordOf(Top(0)).answerTimerId, 0u) << "the running answer keeps its timer";

  Dialog().ExecuteCommand(kCmdDelete);
  EXPECT_EQ(device.ReadUntilQuiet(std::chrono::milliseconds(400)), "")
      << "the answer went with its item";
  session.Disconnect();
}

}  // namespace
}  // namespace vexa
