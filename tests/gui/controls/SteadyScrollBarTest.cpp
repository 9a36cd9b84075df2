// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/SteadyScrollBar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSemaphore>
#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <functional>

namespace vexa {
namespace {

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST(SteadyScrollBar, DrawsAgainOnlyWhatChangesOnScreen) {
  SteadyScrollBar bar(Qt::Vertical);
  bar.resize(bar.sizeHint().width(), 200);
  bar.setRange(0, 1000);
  bar.setValue(1000);
  bar.show();
  QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  PaintCounter counter;
  bar.installEventFilter(&counter);
  const struct {
    const char* name;
    std::function<void()> change;
    bool drawn;
  } cases[] = {
      {"a line back from the end", [&] { bar.setValue(999); }, true},
      {"at the end again", [&] { bar.setValue(1000); }, true},
      {"a line more, the smallest handle still at the end",
       [&] {
         bar.setRange(0, 1001);
         bar.setValue(1001);
       },
       false},
      {"the same range set again", [&] { bar.setRange(0, 1001); }, false},
      {"back to the start", [&] { bar.setValue(0); }, true},
      {"a short list, a long handle", [&] { bar.setRange(0, 5); }, true},
      {"one line more moves the long handle", [&] { bar.setRange(0, 6); }, true},
  };
  for (const auto& c : cases) {
    counter.paints = 0;
    c.change();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(counter.paints > 0, c.drawn) << c.name;
    const QImage screen = bar.screen()->grabWindow(bar.winId()).toImage();
    EXPECT_EQ(screen.convertToFormat(QImage::Format_RGB32),
              bar.grab().toImage().convertToFormat(QImage::Format_RGB32))
        << c.name;
  }
}

void SetUpBar(QScrollBar& bar, int height, int value, int maximum = 500) {
  bar.setAutoFillBackground(true);
  bar.resize(bar.sizeHint().width(), height);
  bar.setRange(0, maximum);
  bar.setPageStep(25);
  bar.setValue(value);
}

// A bar of ours beside one of the toolkit's in a window, both alike.
struct BarsSideBySide {
  QWidget window;
  SteadyScrollBar steady{Qt::Vertical, &window};
  QScrollBar plain{Qt::Vertical, &window};

  BarsSideBySide(int height, int value, int maximum = 500) {
    SetUpBar(steady, height, value, maximum);
    SetUpBar(plain, height, value, maximum);
    steady.move(7, 13);
    plain.move(60, 13);
    window.resize(100, height + 30);
    window.show();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  // What the window shows of `bar`.
  QImage OnScreen(const QScrollBar& bar) const {
    return window.screen()->grabWindow(window.winId()).toImage().copy(bar.geometry());
  }
};

TEST(SteadyScrollBar, DrawsAsTheToolkitsBarDoes) {
  const struct {
    int height;
    int value;
    int maximum;
  } cases[] = {{420, 480, 500}, {47, 0, 500}, {333, 500, 500}, {300, 1, 2}, {48, 250, 500}};
  for (const auto& c : cases) {
    BarsSideBySide bars(c.height, c.value, c.maximum);
    EXPECT_EQ(bars.OnScreen(bars.steady), bars.OnScreen(bars.plain)) << c.height;
  }
  // Drawn through a painter handed to it, as a print or a scene would.
  BarsSideBySide bars(300, 100);
  QImage drawn[2];
  for (int i = 0; i < 2; ++i) {
    drawn[i] = QImage(60, 400, QImage::Format_ARGB32_Premultiplied);
    drawn[i].fill(Qt::white);
    QPainter painter(&drawn[i]);
    painter.translate(5, 37);
    (i == 0 ? static_cast<QWidget&>(bars.steady) : bars.plain).render(&painter, QPoint(3, 4));
  }
  EXPECT_EQ(drawn[0], drawn[1]);
}

TEST(SteadyScrollBar, DrawingLeavesTheToolkitsThreadPoolAlone) {
  BarsSideBySide bars(420, 250);
  QThreadPool* pool = QThreadPool::globalInstance();
  const int threads = pool->maxThreadCount();
  pool->setMaxThreadCount(1);
  // The pool's only thread is kept busy: a fill handed to the pool would wait for it.
  QSemaphore released;
  std::atomic<bool> waitedOut{false};
  pool->start([&] { waitedOut = !released.tryAcquire(1, 3000); });
  // Short handles, and long ones whose outline takes two spans a row.
  for (int maximum : {500, 2}) {
    bars.steady.setMaximum(maximum);
    for (int value : {0, maximum / 2, maximum}) {
      bars.steady.setValue(value);
      bars.steady.repaint();
    }
  }
  released.release();
  pool->waitForDone();
  pool->setMaxThreadCount(threads);
  EXPECT_FALSE(waitedOut) << "a fill waited for the pool";
}

}  // namespace
}  // namespace vexa
