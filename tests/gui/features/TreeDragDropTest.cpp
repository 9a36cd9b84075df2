// SPDX-License-Identifier: GPL-3.0-or-later
// Dragging command items through the real main window: mouse input goes to the window as the
// window system would deliver it, so the tree's drag detection, the window's capture and its
// mouse handling all take part.

#include "gui/features/TreeDragDrop.h"

#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QScrollBar>
#include <QTest>
#include <QWindow>
#include <string>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/link/LinkSession.h"
#include "gui/controls/CmdTree.h"
#include "support/ItemTreeText.h"
#include "support/MainWindowFixture.h"
#include "support/MenuText.h"
#include "support/PseudoTerminal.h"
#include "support/TreeFill.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using Cursor = TreeDragDrop::DragCursor;

class TreeDragDropTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Start();
  }

  CCmdTree& Tree() { return Dialog().Tree(); }
  TreeDragDrop& Drag() { return App().DragDrop(); }
  CAttr& RecordOf(ItemHandle item) { return *Tree().Record(item); }
  ItemHandle Top(int i) { return CCmdTree::HandleOf(Tree().topLevelItem(i)); }
  ItemHandle Child(ItemHandle parent, int i) {
    return CCmdTree::HandleOf(CCmdTree::ItemOf(parent)->child(i));
  }
  // "2a 3a1 2b " for the whole tree.
  std::string Shape() { return Cp932ToUtf8(test::Walk(Tree(), nullptr)); }

  void Fill(const std::string& utf8Lines) {
    test::FillTree(App(), utf8Lines);
    Settle();
  }

  // Points of the tree's viewport.
  QRect LabelOf(ItemHandle item) {
    const QRect screen = Tree().LabelRect(item);
    return QRect(Tree().viewport()->mapFromGlobal(screen.topLeft()), screen.size());
  }
  QPoint OnLabel(ItemHandle item) {
    return LabelOf(item).topLeft() + QPoint(3, LabelOf(item).height() / 2);
  }
  QPoint RightOfLabel(ItemHandle item) {
    return OnLabel(item) + QPoint(LabelOf(item).width() + 10, 0);
  }

  // Mouse input as the window system delivers it, at points of the tree's viewport.
  QWindow* Window() { return Dialog().windowHandle(); }
  QPoint InWindow(QPoint viewportPoint) {
    return Window()->mapFromGlobal(Tree().viewport()->mapToGlobal(viewportPoint));
  }
  void Press(Qt::MouseButton button, QPoint at) {
    QTest::mousePress(Window(), button, {}, InWindow(at));
  }
  void MoveTo(QPoint at, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, keys, InWindow(at));
  }
  void Release(Qt::MouseButton button, QPoint at, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseRelease(Window(), button, keys, InWindow(at));
  }
  // Presses on the item's label and moves sideways, just far enough for a drag.
  void BeginDrag(ItemHandle item, Qt::MouseButton button = Qt::LeftButton) {
    const QPoint at = OnLabel(item);
    Press(button, at);
    MoveTo(at + QPoint(QApplication::startDragDistance(), 0));
  }
  void LeftDrag(ItemHandle item, QPoint to, Qt::KeyboardModifiers keys = {}) {
    BeginDrag(item);
    MoveTo(to, keys);
    Release(Qt::LeftButton, to, keys);
  }

  // The cursor shown is the drawing for `cursor`: Vexa's own, or the system's no-entry sign.
  void ExpectCursorShown(Cursor cursor, const char* drawing) {
    EXPECT_EQ(Drag().Cursor(), cursor);
    const QCursor* shown = QGuiApplication::overrideCursor();
    ASSERT_NE(shown, nullptr);
    if (!drawing) {
      EXPECT_EQ(shown->shape(), Qt::ForbiddenCursor);
      return;
    }
    EXPECT_EQ(shown->shape(), Qt::BitmapCursor);
    EXPECT_EQ(shown->pixmap().toImage(), QPixmap(QString::fromLatin1(drawing)).toImage())
        << drawing;
  }

  // The drag is over and left nothing behind.
  void ExpectIdle() {
    EXPECT_FALSE(Drag().IsDragging());
    EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kIdle);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Tree().DropHighlight(), nullptr);
  }
};

TEST_F(TreeDragDropTest, ALeftDragMovesTheItemWithItsSubtreeAfterTheTarget) {
  Fill("2,a\n3,a1\n3,a2\n2,b\n2,c\n");
  const ItemHandle a = Top(0);
  BeginDrag(a);
  EXPECT_TRUE(Drag().IsDragging());
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kDraggingItem);
  EXPECT_EQ(QWidget::mouseGrabber(), &Dialog().ClientArea()) << "the window holds the capture";
  EXPECT_EQ(Tree().SelectedItem(), a);

  MoveTo(OnLabel(a));
  ExpectCursorShown(Cursor::kRefused, nullptr);  // over the dragged item itself
  MoveTo(OnLabel(Top(1)));
  EXPECT_EQ(Drag().DropTarget(), Top(1));
  EXPECT_EQ(Tree().DropHighlight(), Top(1));
  ExpectCursorShown(Cursor::kMove, ":/vexa/drag-move.png");
  EXPECT_EQ(Tree().SelectedItem(), a) << "the highlight is not the selection";
  MoveTo(RightOfLabel(Top(1)));
  ExpectCursorShown(Cursor::kMoveAsChild, ":/vexa/drag-move-child.png");
  MoveTo(OnLabel(Top(2)), Qt::ControlModifier);
  ExpectCursorShown(Cursor::kCopy, ":/vexa/drag-copy.png");
  MoveTo(RightOfLabel(Top(2)), Qt::ControlModifier);
  ExpectCursorShown(Cursor::kCopyAsChild, ":/vexa/drag-copy-child.png");

  MoveTo(OnLabel(Top(2)));
  Release(Qt::LeftButton, OnLabel(Top(2)));
  EXPECT_EQ(Shape(), "2b 2c 2a 3a1 3a2 ");
  EXPECT_EQ(Cp932ToUtf8(RecordOf(Tree().SelectedItem()).label), "a")
      << "the moved item is selected";
  EXPECT_EQ(Dialog().windowTitle(), "Vexa(更新)");
  ExpectIdle();
}

TEST_F(TreeDragDropTest,
       RightOfALabelTheDropBecomesTheLastChildAndAfterTheNextSiblingOnePlaceDown) {
  Fill("2,a\n2,b\n3,b1\n2,c\n");
  LeftDrag(Top(0), RightOfLabel(Top(1)));
  EXPECT_EQ(Shape(), "2b 3b1 3a 2c ");
  ExpectIdle();

  LeftDrag(Top(0), OnLabel(Top(1)));
  EXPECT_EQ(Shape(), "2c 2b 3b1 3a ") << "dropped on its next sibling: one place down";
}

TEST_F(TreeDragDropTest, CtrlAtTheDropCopiesTheSubtreeWithItsRecordsAndLeavesTheSource) {
  Fill("2,a;AT\n3,a1;ATZ\n4,a11\n2,b\n");
  CAttr& a1 = RecordOf(Child(Top(0), 0));
  a1.repeatPeriod = 500;
  a1.answerDelay = 30;
  a1.receiveText = "RING";
  a1.receiveKind = kKindText;
  a1.receiveDescription = "ring";
  a1.BuildReceiveBytes(false);
  Tree().collapseAll();

  LeftDrag(Top(0), RightOfLabel(Top(1)), Qt::ControlModifier);
  EXPECT_EQ(Shape(), "2a;AT 3a1;ATZ 4a11 2b 3a;AT 4a1;ATZ 5a11 ");
  const ItemHandle copy = Child(Top(1), 0);
  EXPECT_EQ(Tree().SelectedItem(), copy);
  // Every field of a copied record is checked where records are copied; here, that the drop
  // copies each item's own record.
  const CAttr& original = RecordOf(Child(Top(0), 0));
  const CAttr& copied = RecordOf(Child(copy, 0));
  EXPECT_NE(&copied, &original) << "a record of its own";
  EXPECT_EQ(copied.sendBytes, original.sendBytes);
  EXPECT_EQ(copied.repeatPeriod, 500);
  EXPECT_EQ(copied.answerDelay, 30);
  EXPECT_EQ(copied.receiveBytes, "RING");
  EXPECT_EQ(CCmdTree::ItemOf(copy)->text(0), "a;AT") << "shown text";
  EXPECT_EQ(CCmdTree::ItemOf(copy)->icon(0).cacheKey(),
            Tree().Image(CCmdTree::kImageText).cacheKey());
  EXPECT_EQ(Dialog().windowTitle(), "Vexa(更新)");
  ExpectIdle();
}

TEST_F(TreeDragDropTest, DroppingOntoItselfOrIntoItsOwnSubtreeChangesNothing) {
  Fill("2,a\n3,a1\n4,a11\n2,b\n");
  const std::string before = Shape();
  for (ItemHandle target : {Top(0), Child(Top(0), 0), Child(Child(Top(0), 0), 0)}) {
    LeftDrag(Top(0), OnLabel(target));
    EXPECT_EQ(Shape(), before);
    LeftDrag(Top(0), RightOfLabel(target), Qt::ControlModifier);
    EXPECT_EQ(Shape(), before);
    ExpectIdle();
  }
  EXPECT_EQ(Dialog().windowTitle(), "Vexa") << "nothing was modified";
  EXPECT_EQ(Tree().SelectedItem(), Top(0));
}

TEST_F(TreeDragDropTest, ARightDragEndsInTheDropMenu) {
  Fill("2,a\n2,b\n2,c\n");
  const auto rightDrag = [&](ItemHandle item, QPoint to, int answer) {
    ui_.menuAnswers.push_back(answer);
    BeginDrag(item, Qt::RightButton);
    MoveTo(to);
    Release(Qt::RightButton, to);
  };
  rightDrag(Top(0), OnLabel(Top(2)), kCmdDropCancel);
  ASSERT_EQ(ui_.menus.size(), 1u);
  EXPECT_EQ(test::Rows(ui_.menus[0].entries),
            (std::vector<std::string>{"ここにｺﾋﾟｰ(&C)", "ここに移動(&M)", "ｷｬﾝｾﾙ"}));
  EXPECT_EQ(ui_.menus[0].entries[0].id, kCmdDropCopy);
  EXPECT_EQ(ui_.menus[0].entries[1].id, kCmdDropMove);
  EXPECT_EQ(ui_.menus[0].entries[2].id, kCmdDropCancel);
  EXPECT_EQ(ui_.menus[0].screenPoint, Tree().viewport()->mapToGlobal(OnLabel(Top(2))));
  EXPECT_EQ(Shape(), "2a 2b 2c ") << "ｷｬﾝｾﾙ";
  ExpectIdle();

  rightDrag(Top(0), OnLabel(Top(2)), 0);
  EXPECT_EQ(Shape(), "2a 2b 2c ") << "the menu closed without a choice";
  ExpectIdle();

  rightDrag(Top(0), OnLabel(Top(2)), kCmdDropMove);
  EXPECT_EQ(Shape(), "2b 2c 2a ");
  rightDrag(Top(0), RightOfLabel(Top(2)), kCmdDropCopy);
  EXPECT_EQ(Shape(), "2b 2c 2a 3b ");
  EXPECT_EQ(ui_.menus.size(), 4u);
  ExpectIdle();
}

TEST_F(TreeDragDropTest, ARightClickWithoutMovingStillOpensTheItemMenu) {
  Fill("2,a;AT\n2,b\n");
  Press(Qt::RightButton, OnLabel(Top(1)));
  EXPECT_TRUE(ui_.menus.empty()) << "not before the release";
  Release(Qt::RightButton, OnLabel(Top(1)));
  ASSERT_EQ(ui_.menus.size(), 1u);
  EXPECT_EQ(ui_.menus[0].entries.back().text, "編集(&E)") << "the item rows";
  EXPECT_EQ(Tree().SelectedItem(), Top(1));
  EXPECT_FALSE(Drag().IsDragging());
}

TEST_F(TreeDragDropTest, EscapeOrTheOtherButtonEndsOnlyTheDrag) {
  Fill("2,a\n2,b\n");
  BeginDrag(Top(0));
  MoveTo(OnLabel(Top(1)));
  QTest::keyClick(&Tree(), Qt::Key_Escape);
  EXPECT_TRUE(Dialog().isVisible()) << "the window stays open";
  ExpectIdle();
  Release(Qt::LeftButton, OnLabel(Top(1)));
  EXPECT_EQ(Shape(), "2a 2b ") << "the release after Escape drops nothing";

  BeginDrag(Top(0));
  MoveTo(OnLabel(Top(1)));
  Press(Qt::RightButton, OnLabel(Top(1)));
  Release(Qt::RightButton, OnLabel(Top(1)));
  ExpectIdle();
  EXPECT_TRUE(ui_.menus.empty()) << "a left drag has no drop menu";
  Release(Qt::LeftButton, OnLabel(Top(1)));
  EXPECT_EQ(Shape(), "2a 2b ");
  EXPECT_EQ(Dialog().windowTitle(), "Vexa");

  QTest::keyClick(&Tree(), Qt::Key_Escape);
  EXPECT_FALSE(Dialog().isVisible()) << "without a drag, Escape closes";
}

TEST_F(TreeDragDropTest, AnItemDeletedDuringItsDragIsNotDropped) {
  Fill("2,a\n3,a1\n2,b\n");
  BeginDrag(Top(0));
  MoveTo(OnLabel(Top(1)));
  Dialog().ExecuteCommand(kCmdDelete);  // as its key would, on the selected (dragged) item
  ASSERT_EQ(Shape(), "2b ");
  Release(Qt::LeftButton, OnLabel(Top(0)));
  EXPECT_EQ(Shape(), "2b ");
  ExpectIdle();
}

TEST_F(TreeDragDropTest, RestingBelowTheTreeScrollsItOneRowPerTick) {
  std::string lines;
  for (int i = 0; i < 60; ++i) lines += "2,item" + std::to_string(i) + "\n";
  Fill(lines);
  ASSERT_TRUE(Tree().verticalScrollBar()->isVisible());
  Tree().scrollToTop();
  BeginDrag(Top(0));
  const ItemHandle lastShown =
      CCmdTree::HandleOf(Tree().itemAt(QPoint(5, Tree().viewport()->height() - 2)));
  ASSERT_NE(lastShown, nullptr);
  MoveTo(OnLabel(lastShown));
  const QPoint below(OnLabel(lastShown).x(), Tree().viewport()->height() + 4);
  MoveTo(below);
  EXPECT_EQ(Tree().DropHighlight(),
            CCmdTree::HandleOf(Tree().itemBelow(CCmdTree::ItemOf(lastShown))))
      << "one row on at once";
  const int scrolled = Tree().verticalScrollBar()->value();
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return Tree().verticalScrollBar()->value() >= scrolled + 3; }, 3000))
      << "and one more with every tick while the pointer rests";
  const ItemHandle target = Tree().DropHighlight();
  ASSERT_NE(target, nullptr);
  Release(Qt::LeftButton, below);
  EXPECT_EQ(Tree().NextSibling(target), Tree().SelectedItem())
      << "dropped after the highlighted item";
  EXPECT_EQ(Cp932ToUtf8(RecordOf(Tree().SelectedItem()).label), "item0");
  ExpectIdle();
}

// While connected, a copy sends and answers on its own and a moved item exactly once. A timer
// left running for a record that went would also be caught by the sanitizers.
TEST_F(TreeDragDropTest, WhileConnectedTimersAndAnswersFollowCopiesAndMoves) {
  test::PseudoTerminal device;
  ASSERT_TRUE(device.IsValid());
  Fill("2,tick;T\n2,answer;A\n2,end\n");
  RecordOf(Top(0)).repeatPeriod = 20;
  CAttr& answer = RecordOf(Top(1));
  answer.receiveText = "RING";
  answer.receiveKind = kKindText;
  answer.answerDelay = 1;
  answer.BuildReceiveBytes(false);
  Work().Settings().portName = device.PortPath();
  Dialog().ExecuteCommand(kCmdConnect);
  ASSERT_TRUE(Work().IsConnected());
  LinkSession& session = Work().Session();
  const auto sends = [&] { return device.Read(3, 2s); };
  const auto deleteItem = [&](ItemHandle item) {
    Tree().SelectItem(item);
    Dialog().ExecuteCommand(kCmdDelete);
  };
  ASSERT_EQ(sends(), "T\r\n");

  LeftDrag(Top(0), OnLabel(Top(2)), Qt::ControlModifier);  // tick, answer, end, tick
  const ItemHandle copy = Top(3);
  EXPECT_NE(RecordOf(copy).repeatTimerId, 0u);
  EXPECT_NE(RecordOf(copy).repeatTimerId, RecordOf(Top(0)).repeatTimerId) << "a timer of its own";
  deleteItem(Top(0));
  device.ReadUntilQuiet(5ms);
  EXPECT_EQ(sends(), "T\r\n") << "the copy sends without its source";

  LeftDrag(copy, OnLabel(Top(0)));  // answer, tick, end
  ASSERT_EQ(Cp932ToUtf8(RecordOf(Top(1)).label), "tick;T");
  device.ReadUntilQuiet(5ms);
  EXPECT_EQ(sends(), "T\r\n") << "the moved item goes on sending";
  deleteItem(Top(1));
  device.ReadUntilQuiet(30ms);
  EXPECT_EQ(device.ReadUntilQuiet(100ms), "") << "no timer was left behind for the original";

  LeftDrag(Top(0), OnLabel(Top(1)), Qt::ControlModifier);  // answer, end, answer
  session.AnswerReceivedLine("RING");
  EXPECT_EQ(device.ReadUntilQuiet(100ms), "A\r\nA\r\n") << "source and copy answer";
  LeftDrag(Top(2), OnLabel(Top(0)));  // answer, answer, end
  ASSERT_EQ(Cp932ToUtf8(RecordOf(Top(1)).label), "answer;A");
  session.AnswerReceivedLine("RING");
  EXPECT_EQ(device.ReadUntilQuiet(100ms), "A\r\nA\r\n") << "the moved one answers once";
  Dialog().ExecuteCommand(kCmdDisconnect);
  EXPECT_EQ(ui_.messages.size(), 0u);
}

}  // namespace
}  // namespace vexa
