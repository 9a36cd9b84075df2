// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The layout of the main window: the command box above the tree on the left, the answer label
// and status text above the answer list on the right, and the vertical gap between tree and
// answer list that the operator drags. Rectangles are from the last measurement, in the client
// area's pixels, right and bottom exclusive.

#include <QRect>
#include <QSize>

class QWidget;

namespace vexa {

struct Edges {
  int left = 0, top = 0, right = 0, bottom = 0;

  static Edges Of(const QRect& rect) {
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
  }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool StrictlyContains(int x, int y) const {
    return left < x && x < right && top < y && y < bottom;
  }
  bool operator==(const Edges&) const = default;
};

class CWindRect {
 public:
  // Neither pane comes closer than this to a side of the client area.
  static constexpr int kPaneMinimum = 100;

  virtual ~CWindRect() = default;

  struct Controls {
    QWidget* client = nullptr;  // the area the controls live in
    QWidget* status = nullptr;
    QWidget* tree = nullptr;
    QWidget* commandBox = nullptr;
    QWidget* answerList = nullptr;
    QWidget* answerLabel = nullptr;
    QWidget* listBar = nullptr;  // a bar that may open under the answer list (find)
  };
  void SetUp(const Controls& controls) { controls_ = controls; }

  void Measure();
  // Moves the controls for the current client size and a splitter shift; returns the new tree
  // width. Does not measure: every caller measures afterwards.
  int Layout(int shift);
  Edges SplitterZone() const;
  // x: the pointer's position in the client area.
  void BeginDrag(int x);
  // Moves the splitter with the pointer, never past the limits.
  void DragTo(int x);
  // Opens or closes the bar under the answer list: while open, it takes the bottom of the
  // list's area, and the list the rest.
  void ShowListBar(bool shown);

  int TreeWidth() const { return tree_.Width(); }
  QSize ClientSize() const { return {client_.Width(), client_.Height()}; }
  const Edges& TreeEdges() const { return tree_; }
  // The answer list's area: the list, and the bar under it while that is open.
  const Edges& ListEdges() const { return list_; }

 private:
  Edges Client() const;

  Controls controls_;
  Edges client_, status_, tree_, box_, list_, label_;
  int grabOffset_ = 0;  // pointer minus tree edge when the drag began
  int barHeight_ = 0;   // of the bar under the list while it is open
};

}  // namespace vexa
