// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/SteadyScrollBar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QScreen>
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

}  // namespace
}  // namespace vexa
