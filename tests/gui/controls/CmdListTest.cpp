// SPDX-License-Identifier: GPL-3.0-or-later
// The command list window through the real main window: opening and closing it, its rows,
// sorting, choosing a row, and its stored layout.

#include "gui/controls/CmdList.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/items/CommandListRows.h"
#include "gui/controls/CmdTree.h"
#include "gui/features/CommandListCommands.h"
#include "gui/features/TreeDragDrop.h"
#include "gui/window/DummyDlg.h"
#include "support/MainWindowFixture.h"
#include "support/TempDir.h"
#include "support/TreeFill.h"

namespace vexa {
namespace {

using Texts = std::vector<std::string>;

class CmdListTest : public test::MainWindowFixture {
 protected:
  Preferences Prefs() const { return Preferences(PreferenceStore(config_.PreferenceFile())); }
  CCmdTree& Tree() { return Dialog().Tree(); }
  CCmdList* Window() { return App().CommandListWindow().Window(); }
  QTreeView& View() { return Window()->List(); }
  ItemHandle Top(int i) { return CCmdTree::HandleOf(Tree().topLevelItem(i)); }
  CAttr& RecordOf(ItemHandle item) { return *Tree().Record(item); }
  bool Checked() { return Dialog().IsCommandChecked(kCmdCommandList); }
  void Toggle() { Dialog().ExecuteCommand(kCmdCommandList); }

  // The texts of one column, from the top row down.
  Texts Column(int column) {
    Texts texts;
    for (int row = 0; row < Window()->RowCount(); ++row)
      texts.push_back(Window()->CellText(row, column).toStdString());
    return texts;
  }
  int RowOf(ItemHandle item) {
    for (int row = 0; row < Window()->RowCount(); ++row) {
      if (Window()->RowItem(row) == item) return row;
    }
    return -1;
  }
  void ClickHeading(int column) {
    QHeaderView* header = View().header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }
  QPoint CentreOfRow(int row) { return View().visualRect(View().model()->index(row, 0)).center(); }
  // A double click as the window system delivers it, at a point of the list's viewport.
  void DoubleClick(QPoint viewportPoint) {
    QTest::mouseDClick(Window()->windowHandle(), Qt::LeftButton, {},
                       View().viewport()->mapTo(Window(), viewportPoint));
  }
  void Periods(const std::vector<std::int32_t>& periods) {
    for (std::size_t i = 0; i < periods.size(); ++i)
      RecordOf(Top(static_cast<int>(i))).repeatPeriod = periods[i];
  }
  void Answer(ItemHandle item, const std::string& text, std::int32_t delay) {
    CAttr& record = RecordOf(item);
    record.receiveText = text;
    record.receiveKind = kKindText;
    record.answerDelay = delay;
    record.BuildReceiveBytes(false);
  }
};

class CmdListOpen : public CmdListTest {
 protected:
  void SetUp() override {
    CmdListTest::SetUp();
    Start();
  }
};

TEST_F(CmdListOpen, TheCommandOpensAWindowOfItsOwnWithOneRowPerCommand) {
  test::FillTree(App(), "2,group\n3,zeta;ZZ\n3,heading\n2,alpha;AT\n2,periodic;P\n");
  Periods({0, 0, 500});
  Answer(Top(1), "RING", 25);
  EXPECT_EQ(Window(), nullptr);
  Toggle();
  ASSERT_NE(Window(), nullptr);
  EXPECT_TRUE(Checked());
  EXPECT_EQ(Work().CommandList(), Window());
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_TRUE(Window()->isWindow());
  EXPECT_EQ(Window()->parentWidget(), App().CommandListOwner()) << "owned by the hidden dialog";
  EXPECT_EQ(Window()->windowTitle(), "ｺﾏﾝﾄﾞ一覧");
  EXPECT_EQ(QFontInfo(View().font()).family(), "IPAGothic") << "a fixed-pitch face";

  QAbstractItemModel& model = *View().model();
  const Texts headings = {"送信ｺﾏﾝﾄﾞ", "送信周期", "自動応答", "応答遅延"};
  const bool rightAligned[] = {false, true, false, true};
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString().toStdString(), headings[column]);
    const int alignment = model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
    EXPECT_EQ((alignment & Qt::AlignRight) != 0, rightAligned[column]) << column;
  }
  EXPECT_EQ(Column(0), (Texts{"AT", "P", "ZZ"})) << "ascending by command; headings have no row";
  EXPECT_EQ(Window()->RowItem(0), Top(1));
  EXPECT_EQ(Column(1), (Texts{" ", "500", " "}));
  EXPECT_EQ(Column(2), (Texts{"RING", " ", " "}));
  EXPECT_EQ(Column(3), (Texts{"25", " ", " "}));
  const int periodAlignment = model.data(model.index(1, 1), Qt::TextAlignmentRole).toInt();
  EXPECT_TRUE(periodAlignment & Qt::AlignRight);

  Toggle();
  EXPECT_EQ(Window(), nullptr);
  EXPECT_FALSE(Checked());
  EXPECT_EQ(Work().CommandList(), nullptr);
}

TEST_F(CmdListOpen, HeadingsAloneGiveTheColumnsWithoutRows) {
  test::FillTree(App(), "2,one\n3,two\n");
  Toggle();
  EXPECT_EQ(Window()->RowCount(), 0);
  EXPECT_EQ(View().header()->count(), 4);
  EXPECT_TRUE(View().header()->isVisible());
}

TEST_F(CmdListOpen, ColumnClicksSortWithBlanksAtTheBottomBothWays) {
  test::FillTree(App(), "2,a;A3\n2,b;B\n2,c;C1\n2,d;D\n2,e;E2\n");
  Periods({300, 0, 100, 0, 200});
  Answer(Top(3), "RING", 40);
  Answer(Top(0), "BUSY", 10);
  Toggle();
  ClickHeading(0);
  EXPECT_EQ(Column(0), (Texts{"E2", "D", "C1", "B", "A3"}))
      << "already ascending: the first click descends";
  View().setCurrentIndex(View().model()->index(RowOf(Top(2)), 0));

  ClickHeading(1);
  EXPECT_EQ(Column(1), (Texts{"100", "200", "300", " ", " "}));
  ClickHeading(1);
  EXPECT_EQ(Column(1), (Texts{"300", "200", "100", " ", " "})) << "then descending";
  EXPECT_EQ(View().selectionModel()->selectedRows().value(0).row(), RowOf(Top(2)))
      << "the selection stays with its row";

  ClickHeading(2);
  EXPECT_EQ(Column(2), (Texts{"BUSY", "RING", " ", " ", " "}));
  ClickHeading(2);
  EXPECT_EQ(Column(2), (Texts{"RING", "BUSY", " ", " ", " "}));
  ClickHeading(3);
  EXPECT_EQ(Column(3), (Texts{"10", "40", " ", " ", " "}));

  ClickHeading(0);
  EXPECT_EQ(Column(0), (Texts{"A3", "B", "C1", "D", "E2"})) << "another column was sorted last";
}

TEST_F(CmdListOpen, ADoubleClickOrEnterSelectsTheItemInTheTreeAndEscapeDoesNothing) {
  test::FillTree(App(), "2,a;A\n2,group\n3,b;B\n");
  Tree().SelectItem(Top(0));
  Toggle();
  Window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
  const ItemHandle b = Tree().FirstChild(Top(1));

  DoubleClick(CentreOfRow(RowOf(b)));
  EXPECT_EQ(Tree().SelectedItem(), b);
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &Tree(); }, 2000))
      << "the tree has the focus";

  Window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
  View().setFocus();
  View().setCurrentIndex(View().model()->index(RowOf(Top(0)), 0));
  QTest::keyClick(&View(), Qt::Key_Return);
  EXPECT_EQ(Tree().SelectedItem(), Top(0));

  DoubleClick(QPoint(5, View().viewport()->height() - 3));
  EXPECT_EQ(Tree().SelectedItem(), Top(0)) << "below the rows: nothing";

  QTest::keyClick(&View(), Qt::Key_Escape);
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_TRUE(Checked());
}

// The window reaches the main window only through its private messages, by number.
class MessageLog : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    const int type = event->type();
    if (type == 0x482 || type == 0x48C || type == 0x4AA) types.push_back(type);
    return false;
  }
  std::vector<int> types;
};

TEST_F(CmdListOpen, RowsAreChosenSortedAndClosedThroughTheWindowMessages) {
  test::FillTree(App(), "2,a;A\n2,b;B\n");
  Toggle();
  MessageLog log;
  App().CommandListWindow().installEventFilter(&log);

  DoubleClick(CentreOfRow(1));
  EXPECT_EQ(log.types, (std::vector<int>{0x482})) << "WM_APP_SELECT_ITEM";
  EXPECT_EQ(Tree().SelectedItem(), Top(1));
  log.types.clear();
  ClickHeading(1);
  EXPECT_EQ(log.types, (std::vector<int>{0x4AA, 0x4AA})) << "WM_APP_GET_ITEM, once per row";
  log.types.clear();
  Window()->close();
  EXPECT_EQ(log.types, (std::vector<int>{0x48C})) << "WM_APP_LIST_CLOSED";
  EXPECT_FALSE(Checked());

  // And the main window answers them whoever sends them.
  Toggle();
  CommandListEvent select(kSelectItemEvent, Top(0));
  QCoreApplication::sendEvent(&App().CommandListWindow(), &select);
  EXPECT_EQ(Tree().SelectedItem(), Top(0));
  CommandListEvent get(kGetItemEvent, Top(1));
  QCoreApplication::sendEvent(&App().CommandListWindow(), &get);
  EXPECT_EQ(get.Record(), &RecordOf(Top(1)));
  CommandListEvent closed(kListClosedEvent);
  QCoreApplication::sendEvent(&App().CommandListWindow(), &closed);
  EXPECT_FALSE(Checked());
  EXPECT_EQ(Window(), nullptr);
}

TEST_F(CmdListOpen, TheCloseBoxUnchecksTheCommandLikeTheMenu) {
  Toggle();
  QPointer<CCmdList> first = Window();
  first->close();
  EXPECT_FALSE(Checked());
  EXPECT_EQ(Window(), nullptr);
  EXPECT_EQ(Work().CommandList(), nullptr);
  EXPECT_FALSE(first && first->isVisible());
  Toggle();
  ASSERT_NE(Window(), nullptr);
  EXPECT_NE(Window(), first.data()) << "a new window";
  Settle();  // the old window's deletion must not take the new one from the main window
  EXPECT_EQ(Work().CommandList(), Window());
  EXPECT_EQ(first, nullptr);
}

TEST_F(CmdListOpen, RowsFollowTheTreeAndTheFileTitle) {
  test::FillTree(App(), "2,a;A\n2,b;B\n3,c;C\n");
  Toggle();
  Tree().SelectItem(Top(1));
  Dialog().ExecuteCommand(kCmdDelete);
  EXPECT_EQ(Column(0), (Texts{"A"})) << "the deleted item and its child";

  test::TempDir dir;
  ui_.fileAnswers.push_back(QString::fromStdString(dir.File("saved list.vxp")));
  Dialog().ExecuteCommand(kCmdSaveAs);
  EXPECT_EQ(Window()->windowTitle(), "ｺﾏﾝﾄﾞ一覧 saved list");
  Dialog().ExecuteCommand(kCmdNewFile);
  EXPECT_EQ(Window()->windowTitle(), "ｺﾏﾝﾄﾞ一覧") << "a new file has no title to show";
  EXPECT_EQ(Window()->RowCount(), 0);
}

// After each change of the tree the open list shows exactly the tree's commands: every row a
// live item with its current texts, no item with command data missing.
TEST_F(CmdListOpen, EveryChangeOfTheTreeKeepsTheOpenListInStep) {
  using Row = std::pair<ItemHandle, Texts>;
  const auto treeRows = [&] {
    std::vector<Row> rows;
    ForEachItem(Tree(), nullptr, [&](ItemHandle item, int) {
      if (RecordOf(item).sendText.empty()) return;
      Texts texts;
      for (const std::string& cell : CommandListColumnsOf(RecordOf(item)))
        texts.push_back(Cp932ToUtf8(cell));
      rows.emplace_back(item, texts);
    });
    std::sort(rows.begin(), rows.end());
    return rows;
  };
  const auto listRows = [&] {
    std::vector<Row> rows;
    for (int row = 0; row < Window()->RowCount(); ++row) {
      Texts texts;
      for (int column = 0; column < 4; ++column)
        texts.push_back(Window()->CellText(row, column).toStdString());
      rows.emplace_back(Window()->RowItem(row), texts);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  };
  const auto drop = [&](bool move, bool asChild) {
    const auto pointOn = [&](ItemHandle item) {
      const QRect label = Tree().LabelRect(item);
      const QPoint screen =
          asChild ? QPoint(label.right() + 12, label.center().y()) : label.center();
      return Tree().viewport()->mapFromGlobal(screen);
    };
    ASSERT_TRUE(App().DragDrop().StartItemDrag(Qt::LeftButton, pointOn(Top(0))));
    const QPoint over = pointOn(Top(1));
    App().DragDrop().DragOver(over);
    App().DragDrop().DropHere(move, Tree().viewport()->mapTo(&Dialog().ClientArea(), over));
  };
  test::TempDir dir;
  const QString saved = QString::fromStdString(dir.File("list rows.vxp"));

  test::FillTree(App(), "2,a;A\n3,a1;A1\n2,b;B\n2,heading\n");
  Answer(Top(0), "RING", 5);
  RecordOf(Top(1)).repeatPeriod = 700;
  ui_.fileAnswers.push_back(saved);
  Dialog().ExecuteCommand(kCmdSaveAs);
  Toggle();
  struct Step {
    const char* what;
    std::function<void()> run;
  };
  const Step steps[] = {
      {"move after the next item", [&] { drop(true, false); }},
      {"copy as the last child", [&] { drop(false, true); }},
      {"move as the last child", [&] { drop(true, true); }},
      {"削除",
       [&] {
         Tree().SelectItem(Top(0));
         Dialog().ExecuteCommand(kCmdDelete);
       }},
      {"ﾃﾞﾌｫﾙﾄ", [&] { Dialog().ExecuteCommand(kCmdDefaultSet); }},
      {"開く",
       [&] {
         ui_.messageAnswers.push_back(ui::Answer::kNo);
         ui_.fileAnswers.push_back(saved);
         Dialog().ExecuteCommand(kCmdOpenFile);
       }},
      {"全削除", [&] { Dialog().ExecuteCommand(kCmdDeleteAll); }},
  };
  for (const Step& step : steps) {
    step.run();
    EXPECT_EQ(listRows(), treeRows()) << step.what;
  }
  EXPECT_EQ(Window()->RowCount(), 0);
}

// Rows keep their texts in one buffer that is compacted once many rows have gone.
TEST_F(CmdListOpen, RowsLeftAfterManyRemovalsKeepTheirTexts) {
  std::string lines = "2,many\n";
  const std::string padding(40, 'x');
  for (int i = 0; i < 3000; ++i) lines += "3,gone;" + padding + std::to_string(i) + "\n";
  lines += "2,kept\n3,one;ONE\n3,two;TWO\n";
  test::FillTree(App(), lines);
  RecordOf(Tree().FirstChild(Top(1))).repeatPeriod = 250;
  Toggle();
  ASSERT_EQ(Window()->RowCount(), 3002);
  Tree().SelectItem(Top(0));
  Dialog().ExecuteCommand(kCmdDelete);
  EXPECT_EQ(Column(0), (Texts{"ONE", "TWO"}));
  EXPECT_EQ(Column(1), (Texts{"250", " "}));
  Tree().SelectItem(Tree().FirstChild(Top(0)));
  Dialog().ExecuteCommand(kCmdDelete);
  EXPECT_EQ(Column(0), (Texts{"TWO"}));
}

TEST_F(CmdListOpen, TheLayoutIsStoredAtCloseMinimisedAsNormalAndUsedNextTime) {
  Toggle();
  const int listWidth = View().width();
  EXPECT_EQ(View().header()->sectionSize(0), listWidth) << "no stored layout: W, W/2, W, W/2";
  EXPECT_EQ(View().header()->sectionSize(1), listWidth / 2);
  EXPECT_EQ(View().header()->sectionSize(2), listWidth);
  EXPECT_EQ(View().header()->sectionSize(3), listWidth / 2);
  EXPECT_EQ(Prefs().ReadListLayout(), std::nullopt) << "nothing stored before the window closes";

  Window()->resize(420, 300);
  for (int column = 0; column < 4; ++column)
    View().header()->resizeSection(column, 60 + column * 10);
  Settle();
  Window()->showMinimized();
  Settle();
  Toggle();
  const auto stored = Prefs().ReadListLayout();
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->columnWidths, (std::array<std::int32_t, 4>{60, 70, 80, 90}));
  EXPECT_EQ(stored->placement.showCmd, kShowNormal);
  EXPECT_EQ(stored->placement.normalRight - stored->placement.normalLeft, 420);
  EXPECT_EQ(stored->placement.normalBottom - stored->placement.normalTop, 300);

  Toggle();
  EXPECT_FALSE(Window()->isMinimized());
  EXPECT_EQ(Window()->size(), QSize(420, 300));
  EXPECT_EQ(View().header()->sectionSize(3), 90);
}

TEST_F(CmdListTest, FlagBitOneReopensTheWindowAtStartUpWithTheFilesRows) {
  test::TempDir dir;
  {
    Start();
    test::FillTree(App(), "2,x;X\n2,y;Y\n");
    ui_.fileAnswers.push_back(QString::fromStdString(dir.File("start.vxp")));
    Dialog().ExecuteCommand(kCmdSaveAs);
    Toggle();
    Window()->resize(400, 260);
    View().header()->resizeSection(2, 77);
    Settle();
    Dialog().SaveLayoutAndClose();
  }
  EXPECT_EQ(Prefs().ReadFlag(), 2u) << "bit 1: the list was open";

  App().DestroyMainDialog();
  App().CreateMainDialog(QString());
  Start();
  ASSERT_NE(Window(), nullptr);
  EXPECT_TRUE(Checked());
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_EQ(Window()->windowTitle(), "ｺﾏﾝﾄﾞ一覧 start") << "the file loaded at start-up";
  EXPECT_EQ(Column(0), (Texts{"X", "Y"}));
  EXPECT_EQ(Window()->size(), QSize(400, 260)) << "the layout was stored as the program ended";
  EXPECT_EQ(View().header()->sectionSize(2), 77);

  Toggle();
  Dialog().SaveLayoutAndClose();
  App().DestroyMainDialog();
  App().CreateMainDialog(QString());
  Start();
  EXPECT_EQ(Window(), nullptr) << "closed at the last exit: not reopened";
}

// The main window runs modally; the list window must still take the operator's input.
TEST_F(CmdListTest, TheListTakesInputWhileTheMainWindowRunsModally) {
  bool chosen = false;
  QTimer::singleShot(0, [&] {
    test::FillTree(App(), "2,a;A\n2,b;B\n");
    Toggle();
    if (QTest::qWaitForWindowExposed(Window())) {
      DoubleClick(CentreOfRow(1));
      chosen = Tree().SelectedItem() == Top(1);
    }
    App().Files().UpdateTitle();  // nothing to save
    Dialog().reject();
  });
  Dialog().DoModal();
  EXPECT_TRUE(chosen) << "the double click reached the list";
}

}  // namespace
}  // namespace vexa
