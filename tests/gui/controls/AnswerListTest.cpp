// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/AnswerList.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "core/codec/TimeText.h"
#include "core/workspace/PendingLines.h"
#include "gui/seam/DialogUnits.h"

namespace vexa {
namespace {

class AnswerList : public ::testing::Test {
 protected:
  void SetUp() override { Prepare(list_); }
  static void Prepare(CAnswerList& list) {
    list.setFont(DialogFont());
    list.resize(200, 10 * QFontMetrics(DialogFont()).height() + 2 * list.frameWidth() +
                         list.horizontalScrollBar()->sizeHint().height());
    list.show();
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
  for (int i = 1002; i < 2600; ++i) {  // the oldest go one by one, more of them than are kept
    list_.AddLine("line " + std::to_string(i));
    ASSERT_EQ(list_.Count(), 1001);
    ASSERT_EQ(list_.ShownText(0), QString("line %1").arg(i - 1000));
  }
  EXPECT_EQ(list_.ShownText(1000), "line 2599");
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

// Lines of a batch that leave again at once are never seen, but the widest of them and a sent
// line among them still set the list's width, as if they had come one by one.
TEST_F(AnswerList, LinesGoneAtOnceStillSetTheWidth) {
  std::vector<AnswerLine> batch(3000, {"short", WallClockNow()});
  const std::string wide(60, 'W');
  batch[5].text = wide;
  list_.AddLines(batch);
  EXPECT_EQ(list_.ShownText(0), "short");
  const int extentOfWide = Width(QString::fromStdString(wide)) + ScrollBarWidth();
  EXPECT_EQ(list_.HorizontalExtent(), extentOfWide);
  batch[5].text = "short";
  batch[7].origin = RecordOrigin::kSentByOperator;
  list_.AddLines(batch);
  EXPECT_GT(list_.HorizontalExtent(), extentOfWide) << "room for the sent mark";
}

// A flood whose oldest lines were forgotten on the way, as the window keeps it, shows just as
// the whole of it would: the same lines, and the same width from the widest line forgotten.
TEST_F(AnswerList, AFloodKeptShortOnItsWayShowsAsTheWhole) {
  struct Case {
    bool held;
    std::size_t keep;
    int lines;
  };
  for (const Case& c : {Case{false, 1500, 5000}, Case{true, CAnswerList::kHeldLimit, 26000}}) {
    CAnswerList whole;
    CAnswerList kept;
    PendingLines everything;
    PendingLines newest(c.keep);
    const WallTime time = WallClockNow();
    for (CAnswerList* list : {&whole, &kept}) {
      Prepare(*list);
      list->AddLine("first");
      if (c.held)
        list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::Select);
    }
    const std::vector<std::size_t> widths = {5, 40, 12, 90, 55, 70, 3, 8};  // the 90 is forgotten
    for (int i = 0; i < c.lines; ++i) {
      std::string text = "line " + std::to_string(i);
      if (i % 700 == 0 && i / 700 < 8) text.append(widths[i / 700], 'W');
      const auto origin = i == 1400 ? RecordOrigin::kSentByOperator : RecordOrigin::kReceived;
      for (PendingLines* lines : {&everything, &newest}) lines->AddShown(text, time, origin);
    }
    ASSERT_GT(newest.Forgotten(), 2100u);
    whole.AddLines(everything);
    kept.AddLines(newest);
    ASSERT_EQ(kept.Count(), whole.Count());
    for (int row = 0; row < whole.Count(); ++row)
      ASSERT_EQ(kept.ShownText(row), whole.ShownText(row));
    EXPECT_EQ(kept.HorizontalExtent(), whole.HorizontalExtent());
  }
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

  list_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  list_.AddLines(std::vector<AnswerLine>(CAnswerList::kHeldLimit, {"flood", WallClockNow()}));
  EXPECT_EQ(list_.Count(), CAnswerList::kHeldLimit)
      << "a flood is held no further than a selection";
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

TEST_F(AnswerList, FindGoesRoundTheListByCaseAndHexRules) {
  list_.AddLines({{"OK"},
                  {"ring RING ring"},
                  {"4f4b0d0a", {}, RecordOrigin::kReceived, true},
                  {"34f4b0", {}, RecordOrigin::kReceived, true},
                  {"Ring"}});
  Settle();
  struct Case {
    FindQuery query;
    bool forward;
    std::vector<std::pair<int, int>> matches;  // row, start; the last one wrapped round
  };
  const Case cases[] = {
      {{"ring"}, true, {{1, 0}, {1, 5}, {1, 10}, {4, 0}, {1, 0}}},
      {{"ring", true}, true, {{1, 0}, {1, 10}, {1, 0}}},
      {{"ring"}, false, {{4, 0}, {1, 10}, {1, 5}, {1, 0}, {4, 0}}},
      {{"4f4b"}, true, {{2, 0}, {3, 1}, {2, 0}}},
      {{"4F 4b", false, true}, true, {{2, 0}, {2, 0}}},  // never where no byte begins
      {{"0d0a", false, true}, false, {{2, 4}, {2, 4}}},
  };
  for (const Case& c : cases) {
    list_.EndFind();
    for (const auto& [row, start] : c.matches) {
      const std::optional<FindMatch> match = list_.Find(c.query, c.forward);
      ASSERT_TRUE(match) << c.query.text.toStdString();
      EXPECT_EQ(match->row, row) << c.query.text.toStdString();
      EXPECT_EQ(match->start, start) << c.query.text.toStdString();
      list_.ShowMatch(c.query, *match);
    }
  }
  list_.EndFind();
  EXPECT_FALSE(list_.Find({"4g", false, true}, true)) << "not HEX digits";
  EXPECT_FALSE(list_.Find({"4f4", false, true}, true)) << "half a byte";
  EXPECT_FALSE(list_.Find({"absent"}, true));
}

TEST_F(AnswerList, AShownMatchOrASelectionHoldsTheViewForAsLongAsItLasts) {
  AddNumbered(0, 1001);
  Settle();
  list_.ShowMatch({"line"}, {500, 0, 4});
  Settle();
  ASSERT_TRUE(list_.IsHolding());
  AddNumbered(1001, 1051);
  QTest::qWait(CAnswerList::kHoldMilliseconds + 200);
  Settle();
  EXPECT_TRUE(list_.IsHolding()) << "a match holds beyond the second";
  EXPECT_EQ(list_.Count(), 1051) << "nothing trimmed while held";
  EXPECT_LE(list_.TopIndex(), 500);
  EXPECT_GT(list_.TopIndex() + list_.VisibleLines(), 500) << "the match is in view";
  list_.EndFind();
  EXPECT_FALSE(list_.IsHolding());
  list_.AddLine("after");
  EXPECT_EQ(list_.Count(), 1050);

  // A selection made with the mouse holds until Escape clears it; the keys alone select nothing.
  list_.setFocus();
  QTest::keyClick(&list_, Qt::Key_Up);
  EXPECT_FALSE(list_.selectionModel()->hasSelection());
  Settle();
  const int row = list_.TopIndex() + 1;
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {},
                    list_.visualRect(list_.model()->index(row, 0)).center());
  ASSERT_TRUE(list_.IsHolding());
  const QString selectedText = list_.ShownText(row);
  // So many lines that all but five before the selected one must go.
  const int flood = CAnswerList::kHeldLimit - list_.Count() + row - 5;
  list_.AddLines(std::vector<AnswerLine>(static_cast<std::size_t>(flood), AnswerLine{"flood"}));
  Settle();
  EXPECT_EQ(list_.Count(), CAnswerList::kHeldLimit) << "a long hold still keeps a limit";
  ASSERT_EQ(list_.selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(list_.selectionModel()->selectedRows()[0].row(), 5);
  EXPECT_EQ(list_.ShownText(5), selectedText);
  EXPECT_EQ(list_.TopIndex(), 4) << "the view stays on its lines";
  QTest::keyClick(&list_, Qt::Key_Escape);
  EXPECT_FALSE(list_.IsHolding());
}

TEST_F(AnswerList, TimesAndSentMarksAreShownAndCopiedAsShown) {
  const WallTime time = WallClockNow();
  const QString clock = QString::fromStdString(TimeOfDayText(time));
  ASSERT_TRUE(QRegularExpression(R"(^\d\d:\d\d:\d\d\.\d{3}$)").match(clock).hasMatch());
  const std::string wide(6000, 'W');
  list_.AddLines({{"RING", time},
                  {"AT", time, RecordOrigin::kSentByOperator},
                  {"A\tB", time, RecordOrigin::kSentPeriodic},
                  {"ATA", time, RecordOrigin::kSentAnswer},
                  {wide, time}});
  EXPECT_EQ(list_.LineAsShown(1), "→ AT");
  const QString wideShown = list_.ShownText(4);
  list_.SetTimesShown(true);
  EXPECT_EQ(list_.LineAsShown(0), clock + " RING");
  EXPECT_EQ(list_.LineAsShown(2), clock + " ⟳ A␉B") << "control bytes as pictures";
  EXPECT_EQ(list_.LineAsShown(3), clock + " ↩ ATA");
  EXPECT_LT(list_.ShownText(4).size(), wideShown.size()) << "the time takes room from the line";
  EXPECT_LE(list_.HorizontalExtent(), CAnswerList::kWidthLimit);

  list_.setFocus();
  Settle();
  const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
    QTest::mouseClick(list_.viewport(), Qt::LeftButton, modifiers,
                      list_.visualRect(list_.model()->index(row, 0)).center());
  };
  list_.scrollToTop();
  click(0, {});
  click(3, Qt::ControlModifier);
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&list_, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), clock + " RING\n" + clock + " ↩ ATA");
  const QImage picture = list_.viewport()->grab().toImage();
  const auto paperAtEnd = [&](int row) {
    const int y = list_.visualRect(list_.model()->index(row, 0)).center().y();
    return picture.pixelColor(picture.width() - 3, y);
  };
  EXPECT_EQ(paperAtEnd(1), list_.palette().color(QPalette::Base));
  EXPECT_NE(paperAtEnd(3), paperAtEnd(1)) << "a selected row is drawn selected";
  click(1, {});
  click(0, Qt::ShiftModifier);
  EXPECT_EQ(list_.SelectedText(), clock + " RING\n" + clock + " → AT");
}

// Rows already drawn are moved rather than drawn again as lines arrive; what is on the screen
// must stay what drawing the whole list afresh shows.
TEST_F(AnswerList, WhatIsOnScreenIsTheWholeListDrawnAfresh) {
  list_.SetTimesShown(true);
  int next = 0;
  const auto lines = [&](int count) {
    std::vector<AnswerLine> batch;
    for (int i = 0; i < count; ++i, ++next) {
      const bool sent = next % 3 == 0;
      batch.push_back({(sent ? "AT+CSQ " : "+CSQ: \x01 23,99 ") + std::to_string(next),
                       WallTime{std::chrono::milliseconds(1700000000000LL + 137LL * next)},
                       sent ? RecordOrigin::kSentPeriodic : RecordOrigin::kReceived});
    }
    list_.AddLines(batch);
  };
  const struct {
    const char* name;
    std::function<void()> before;
    int batch;
  } cases[] = {
      {"growing", [] {}, 1},
      {"full, one line at a time", [&] { lines(1100); }, 1},
      {"full, a few lines at a time", [] {}, 3},
      {"scrolled back",
       [&] { list_.verticalScrollBar()->setValue(list_.verticalScrollBar()->value() - 4); }, 1},
      {"held by a selection",
       [&] {
         list_.selectionModel()->select(list_.model()->index(list_.Count() - 3, 0),
                                        QItemSelectionModel::Select);
       },
       2},
  };
  for (const auto& c : cases) {
    c.before();
    for (int step = 0; step < 15; ++step) {
      lines(c.batch);
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      const QImage screen = list_.screen()->grabWindow(list_.winId()).toImage();
      ASSERT_EQ(screen.convertToFormat(QImage::Format_RGB32),
                list_.grab().toImage().convertToFormat(QImage::Format_RGB32))
          << c.name << ", step " << step;
    }
  }
}

}  // namespace
}  // namespace vexa
