// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/AnswerList.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <string>

#include "gui/seam/DialogUnits.h"

namespace vexa {
namespace {

class AnswerList : public ::testing::Test {
 protected:
  void SetUp() override {
    list_.setFont(DialogFont());
    list_.resize(200, 10 * QFontMetrics(DialogFont()).height() + 2 * list_.frameWidth() +
                          list_.horizontalScrollBar()->sizeHint().height());
    list_.show();
    Settle();
  }
  static void Settle() { QCoreApplication::processEvents(); }

  void AddNumbered(int from, int to) {
    for (int i = from; i < to; ++i) list_.AddLine("line " + std::to_string(i));
  }
  int ScrollBarWidth() const {
    return list_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list_);
  }
  int Width(const QString& text) const { return list_.fontMetrics().horizontalAdvance(text); }

  CAnswerList list_;
};

TEST_F(AnswerList, KeepsTheNewest1001LinesInView) {
  EXPECT_EQ(list_.AddLine("first"), 0);
  AddNumbered(1, 1000);
  EXPECT_EQ(list_.Count(), 1000);
  EXPECT_EQ(list_.AddLine("line 1000"), 1000);
  EXPECT_EQ(list_.AddLine("line 1001"), 1000) << "the oldest made room";
  EXPECT_EQ(list_.Count(), 1001);
  EXPECT_EQ(list_.ShownText(0), "line 1");
  AddNumbered(1002, 1500);
  EXPECT_EQ(list_.Count(), 1001);
  EXPECT_EQ(list_.ShownText(1000), "line 1499");
  Settle();
  const int visible = list_.VisibleLines();
  EXPECT_GE(visible, 9);
  EXPECT_EQ(list_.TopIndex(), 1000 - visible + 1) << "the newest line is the last one in view";
  EXPECT_EQ(list_.indexAt(QPoint(2, 2)).row(), list_.TopIndex()) << "and the view is really there";

  list_.Reset();
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(list_.AddLine(""), 0) << "an empty line is an entry too";
  EXPECT_EQ(list_.ShownText(0), "");
  Settle();
  EXPECT_EQ(list_.TopIndex(), 0);
}

TEST_F(AnswerList, ScrollingHoldsTheViewForASecond) {
  AddNumbered(0, 1001);
  Settle();
  list_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_TRUE(list_.IsHolding());
  EXPECT_EQ(list_.TopIndex(), 0);
  AddNumbered(1001, 1011);
  Settle();
  EXPECT_EQ(list_.Count(), 1011) << "no trimming while held";
  EXPECT_EQ(list_.TopIndex(), 0) << "the view stays";
  EXPECT_EQ(list_.ShownText(0), "line 0");

  ASSERT_TRUE(QTest::qWaitFor([&] { return !list_.IsHolding(); }, 3000));
  list_.AddLine("after the hold");
  EXPECT_EQ(list_.Count(), 1010) << "the surplus shrinks by one a line";
  AddNumbered(0, 20);
  EXPECT_EQ(list_.Count(), 1001);
  Settle();
  EXPECT_EQ(list_.TopIndex(), 1001 - list_.VisibleLines());
}

TEST_F(AnswerList, PagingHoldsAndAHeldScrollBarHoldsUntilReleased) {
  AddNumbered(0, 50);
  list_.setFocus();
  QTest::keyClick(&list_, Qt::Key_PageUp);
  EXPECT_TRUE(list_.IsHolding());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !list_.IsHolding(); }, 3000));

  QScrollBar* bar = list_.verticalScrollBar();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), bar->mapToGlobal(QPointF(2, 2)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &press);
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  QTest::qWait(CAnswerList::kHoldMilliseconds + 200);
  EXPECT_TRUE(list_.IsHolding()) << "still pressed";
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), bar->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &release);
  EXPECT_TRUE(list_.IsHolding());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !list_.IsHolding(); }, 3000));
}

TEST_F(AnswerList, LongLinesAreCutAtTheWidthLimitAndRefitAfterAFontChange) {
  const std::string wide(6000, 'W');
  list_.AddLine(wide);
  list_.AddLine("short");
  const QString shown = list_.ShownText(0);
  ASSERT_LT(shown.size(), 6000);
  EXPECT_EQ(list_.WholeLine(0), wide);
  EXPECT_LT(Width(shown) + ScrollBarWidth(), CAnswerList::kWidthLimit);
  EXPECT_GE(Width(shown + "W") + ScrollBarWidth(), CAnswerList::kWidthLimit) << "cut at the limit";
  EXPECT_EQ(list_.HorizontalExtent(),
            std::min(Width(shown) + ScrollBarWidth(), CAnswerList::kWidthLimit));
  Settle();
  EXPECT_EQ(list_.horizontalScrollBar()->maximum(),
            list_.HorizontalExtent() - list_.viewport()->width())
      << "the list scrolls exactly over the longest line";

  QFont larger = DialogFont();
  larger.setPixelSize(30);
  list_.setFont(larger);
  list_.Refit();
  const QString refitted = list_.ShownText(0);
  EXPECT_LT(refitted.size(), shown.size());
  EXPECT_LT(Width(refitted) + ScrollBarWidth(), CAnswerList::kWidthLimit);
  EXPECT_EQ(list_.ShownText(1), "short");

  list_.setFont(DialogFont());
  list_.Refit();
  EXPECT_EQ(list_.ShownText(0), shown) << "cut again from the whole line";
}

TEST_F(AnswerList, ControlBytesAndBrokenCharactersStayOnOneLine) {
  list_.AddLine("A\tB\rC\x1b[0m");
  list_.AddLine("\x82\xa0\x82");  // あ, then a lone lead byte
  EXPECT_EQ(list_.ShownText(0), QString("A\tB\rC\x1b[0m"));
  EXPECT_EQ(list_.ShownText(1), QString::fromUtf8("あ\xEF\xBF\xBD"));
  Settle();
  const int rowHeight = list_.visualRect(list_.model()->index(1, 0)).height();
  EXPECT_EQ(list_.visualRect(list_.model()->index(0, 0)).height(), rowHeight);
  EXPECT_EQ(rowHeight, list_.fontMetrics().height());
  EXPECT_GT(list_.HorizontalExtent(), Width("ABC[0m") + ScrollBarWidth())
      << "each control byte gets its box";
  const QImage picture = list_.grab().toImage();
  EXPECT_FALSE(picture.isNull());
}

TEST_F(AnswerList, FitLengthFindsTheLongestPrefixThatFits) {
  const auto fits = [&](std::size_t k) {
    return Width(QString(static_cast<qsizetype>(k), 'W')) + ScrollBarWidth() <
           CAnswerList::kWidthLimit;
  };
  for (std::size_t n :
       {std::size_t{100}, std::size_t{2950}, std::size_t{6000}, std::size_t{12288}}) {
    const std::size_t k = list_.FitLength(std::string(n, 'W'));
    EXPECT_TRUE(fits(k)) << n;
    if (k < n) {
      EXPECT_FALSE(fits(k + 1)) << n;
    }
  }
  EXPECT_EQ(list_.FitLength(std::string(100, 'W')), 100u);
  EXPECT_EQ(list_.FitLength(""), 0u);
}

}  // namespace
}  // namespace vexa
