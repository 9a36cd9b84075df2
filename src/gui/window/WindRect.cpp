// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/WindRect.h"

#include <QWidget>

namespace vexa {
namespace {

void Place(QWidget* control, int left, int top, int width, int height) {
  control->setGeometry(left, top, width, height);
}

}  // namespace

Edges CWindRect::Client() const {
  return Edges::Of(controls_.client->rect());
}

void CWindRect::Measure() {
  if (!controls_.client) return;
  client_ = Client();
  status_ = Edges::Of(controls_.status->geometry());
  tree_ = Edges::Of(controls_.tree->geometry());
  box_ = Edges::Of(controls_.commandBox->geometry());
  list_ = Edges::Of(controls_.answerList->geometry());
  list_.bottom += barHeight_;
  label_ = Edges::Of(controls_.answerLabel->geometry());
}

int CWindRect::Layout(int shift) {
  if (!controls_.client) return 0;
  const Edges now = Client();
  int splitter = tree_.right + shift;
  if (splitter > now.right - kPaneMinimum) splitter = now.right - kPaneMinimum;
  if (splitter < now.left + kPaneMinimum) splitter = now.left + kPaneMinimum;
  const int dx = splitter - tree_.right;
  const int dy = now.bottom - client_.bottom;
  const int dw = now.right - client_.right;

  Place(controls_.tree, tree_.left, tree_.top, splitter - tree_.left, tree_.Height() + dy);
  Place(controls_.commandBox, box_.left, box_.top, splitter - box_.left, box_.Height());
  const int listWidth = list_.Width() + dw - dx;
  const int listHeight = list_.Height() + dy - barHeight_;
  Place(controls_.answerList, list_.left + dx, list_.top, listWidth, listHeight);
  if (barHeight_ != 0) {
    Place(controls_.listBar, list_.left + dx, list_.top + listHeight, listWidth, barHeight_);
  }
  // The label keeps its own width: the status text to its right has a rectangle of its own.
  Place(controls_.answerLabel, list_.left + dx, label_.top, label_.Width(), label_.Height());
  Place(controls_.status, status_.left + dx, status_.top, status_.Width() + dw - dx,
        status_.Height());
  controls_.status->repaint();
  return splitter - tree_.left;
}

void CWindRect::ShowListBar(bool shown) {
  if (!controls_.listBar || shown == (barHeight_ != 0)) return;
  // The list gives the bar its room, or takes it back, within the area it had.
  barHeight_ = shown ? controls_.listBar->sizeHint().height() : 0;
  controls_.listBar->setVisible(shown);
  Layout(0);
  Measure();
}

Edges CWindRect::SplitterZone() const {
  return {tree_.right, tree_.top, list_.left, tree_.bottom};
}

void CWindRect::BeginDrag(int x) {
  grabOffset_ = x - tree_.right;
}

void CWindRect::DragTo(int x) {
  // The splitter keeps the offset the pointer had when the drag began, also after the pointer
  // went past a limit, where Layout stops the splitter.
  Layout(x - grabOffset_ - tree_.right);
  Measure();
}

}  // namespace vexa
