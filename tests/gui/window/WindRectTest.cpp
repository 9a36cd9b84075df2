// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QMouseEvent>

#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "support/MainWindowFixture.h"

namespace vexa {
namespace {

using test::MainWindowFixture;

class WindowLayout : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Start();
  }

  // Resizes so that the client area gets `width` x `height` pixels.
  void ResizeClient(int width, int height) {
    const QSize frame = Dialog().size() - Dialog().ClientArea().size();
    Dialog().resize(QSize(width, height) + frame);
    Settle();
    ASSERT_EQ(Dialog().ClientArea().size(), QSize(width, height));
  }

  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton) {
    QWidget& client = Dialog().ClientArea();
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, client.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&client, &event);
  }
  void Move(QPoint at) { Mouse(QEvent::MouseMove, at); }
  void Press(QPoint at) { Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton); }
  void Release(QPoint at) { Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton); }

  QPoint InTheGap() const {
    const Edges zone = app_.Window().Layout().SplitterZone();
    return {(zone.left + zone.right) / 2, (zone.top + zone.bottom) / 2};
  }
  int Splitter() const {
    return app_.Window().Tree().geometry().x() + app_.Window().Tree().width();
  }
};

TEST_F(WindowLayout, ResizingKeepsDistancesToTheRightAndBottomEdges) {
  const QRect tree = Dialog().Tree().geometry();
  const QRect list = Dialog().AnswerList().geometry();
  const QRect box = Dialog().CommandBox().geometry();
  const QRect status = Dialog().StatusText().geometry();
  const QSize client = Dialog().ClientArea().size();
  ResizeClient(client.width() + 120, client.height() + 80);

  EXPECT_EQ(Dialog().Tree().geometry(), tree.adjusted(0, 0, 0, 80))
      << "the tree only grows downwards";
  EXPECT_EQ(Dialog().CommandBox().geometry(), box);
  EXPECT_EQ(Dialog().AnswerList().geometry(), list.adjusted(0, 0, 120, 80));
  EXPECT_EQ(Dialog().StatusText().geometry(), status.adjusted(0, 0, 120, 0));
  EXPECT_EQ(Dialog().AnswerLabel().x(), list.x());
}

TEST_F(WindowLayout, AStatusTooLongForItsPlaceKeepsBothEndsAndLeavesTheLabelAlone) {
  const QString status =
      QStringLiteral("記録中(a_rather_long_name_for_a_log.log) 受信ﾃﾞｰﾀ欠落 123456789 ﾊﾞｲﾄ");
  Dialog().StatusText().setText(status);
  for (const int width : {1000, 600, 400}) {
    SCOPED_TRACE(width);
    ResizeClient(width, 400);
    const CStatusText& shown = Dialog().StatusText();
    EXPECT_FALSE(shown.geometry().intersects(Dialog().AnswerLabel().geometry()));
    EXPECT_LE(shown.fontMetrics().horizontalAdvance(shown.ShownText()), shown.width());
    if (shown.ShownText() != status) {
      const QStringList ends = shown.ShownText().split(QChar(0x2026));
      ASSERT_EQ(ends.size(), 2) << shown.ShownText().toStdString();
      EXPECT_TRUE(status.startsWith(ends[0]) && status.endsWith(ends[1]))
          << shown.ShownText().toStdString();
      if (width == 600) {
        EXPECT_FALSE(ends[0].isEmpty() || ends[1].isEmpty()) << "both ends";
      }
    }
  }
  ResizeClient(1000, 400);
  EXPECT_EQ(Dialog().StatusText().ShownText(), status) << "whole where it fits";
}

TEST_F(WindowLayout, NarrowingPullsTheSplitterInAndWideningLeavesIt) {
  const int gap = Dialog().AnswerList().x() - Splitter();
  ResizeClient(300, 300);
  EXPECT_EQ(Splitter(), 300 - CWindRect::kPaneMinimum);
  EXPECT_EQ(Dialog().AnswerList().x(), Splitter() + gap) << "the list moves with the splitter";
  ResizeClient(800, 300);
  EXPECT_EQ(Splitter(), 200);

  ResizeClient(150, 300);
  EXPECT_EQ(Splitter(), CWindRect::kPaneMinimum) << "below 200 pixels the left limit wins";
}

TEST_F(WindowLayout, TheSplitterFollowsADragAndStopsAtBothLimits) {
  ResizeClient(600, 400);
  const int start = Splitter();
  const QPoint grip = InTheGap();
  Move(grip);
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kOverSplitter);
  Press(grip);
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kDraggingSplitter);
  Move(grip + QPoint(40, 5));
  EXPECT_EQ(Splitter(), start + 40);
  Move(QPoint(590, grip.y()));
  EXPECT_EQ(Splitter(), 600 - CWindRect::kPaneMinimum);
  Move(QPoint(2, grip.y()));
  EXPECT_EQ(Splitter(), CWindRect::kPaneMinimum);
  Release(QPoint(250, grip.y()));
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kIdle);
  EXPECT_EQ(Splitter(), 250 - (grip.x() - start)) << "the pointer keeps its offset to the edge";
  EXPECT_EQ(Dialog().Layout().TreeWidth(), Dialog().Tree().width()) << "measured after the drag";
}

TEST_F(WindowLayout, LeavingTheGapOrPressingElsewhereStartsNoDrag) {
  const int start = Splitter();
  Move(InTheGap());
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kOverSplitter);
  Move(QPoint(Dialog().AnswerList().x() + 10, InTheGap().y()));
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kIdle);

  const QPoint onTree = Dialog().Tree().geometry().center();
  Move(onTree);
  Press(onTree);
  Move(onTree + QPoint(60, 0));
  Release(onTree + QPoint(60, 0));
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kIdle);
  EXPECT_EQ(Splitter(), start);

  const Edges zone = Dialog().Layout().SplitterZone();
  Move(QPoint(zone.left, zone.top + 5));  // on the tree's edge: not strictly inside
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kIdle);
}

TEST_F(WindowLayout, TreeDragMessagesGoToTheirSignals) {
  std::vector<QPoint> moves;
  bool dropped = false;
  QObject::connect(&Dialog(), &CTest3Dlg::treeDragMoved, [&](QPoint at) { moves.push_back(at); });
  QObject::connect(&Dialog(), &CTest3Dlg::treeDropped, [&](QPoint, bool) { dropped = true; });
  Dialog().SetCaptureMode(CTest3Dlg::kDraggingItem);
  Move(QPoint(30, 90));
  Release(QPoint(30, 95));
  EXPECT_EQ(moves, std::vector<QPoint>{QPoint(30, 90)});
  EXPECT_TRUE(dropped);
  EXPECT_EQ(Dialog().CaptureMode(), CTest3Dlg::kIdle);
}

TEST_F(WindowLayout, MinimisingDoesNoLayout) {
  const QRect tree = Dialog().Tree().geometry();
  Dialog().showMinimized();
  Settle();
  Dialog().ClientArea().resize(200, 120);  // a size a window manager may report meanwhile
  Settle();
  EXPECT_EQ(Dialog().Tree().geometry(), tree);
  Dialog().showNormal();
  Settle();
  EXPECT_EQ(Dialog().Tree().geometry().width(), tree.width()) << "restored as it was";
}

}  // namespace
}  // namespace vexa
