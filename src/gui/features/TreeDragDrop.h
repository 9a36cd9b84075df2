// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Moving and copying command items with the mouse. A left drag moves the item with everything
// below it (Ctrl held at the drop copies instead); a right drag ends in a menu that copies,
// moves or cancels. The drop lands after the item under the pointer, or as its last child
// when the pointer is right of its label. The main window holds the mouse capture meanwhile
// (CaptureMode 3) and hands its mouse messages over through its signals. While connected, the
// periodic timers and automatic answers follow the items that move or are copied.

#include <QCursor>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QTimer>
#include <array>

#include "core/items/ItemTree.h"

namespace vexa {

class CCmdTree;
class CTest3Dlg;
class Workspace;

class TreeDragDrop : public QObject {
  Q_OBJECT

 public:
  enum class DragCursor { kNone, kRefused, kMove, kCopy, kMoveAsChild, kCopyAsChild };

  // Attaches the drag to the tree, the window's mouse signals and the drop menu's commands.
  TreeDragDrop(CTest3Dlg& window, Workspace& work);
  ~TreeDragDrop() override;

  // Begins dragging the item at `pressPoint` (tree viewport coordinates) with the mouse
  // captured for the main window; false when no item is there.
  bool StartItemDrag(Qt::MouseButton button, QPoint pressPoint);
  // Moves the drop highlight to the item at `point` (tree viewport coordinates), one row on
  // from the highlighted one while the pointer is above or below a tree that scrolls.
  void DragOver(QPoint point);
  // Kills the drag timer and releases the capture; the drag source stays for the drop menu.
  void StopDragTimer();
  // Ends the drag without a change.
  void CancelItemDrag();
  // Ends the drag at `clientPoint` (main window client coordinates): copies the dragged
  // subtree and, for a move, deletes the original; then selects the copy.
  void DropHere(bool move, QPoint clientPoint);

  bool IsDragging() const { return dragging_; }
  ItemHandle DragSource() const;
  ItemHandle DropTarget() const;
  DragCursor Cursor() const { return cursor_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;  // right button up

 private:
  void OnItemDragBegun(Qt::MouseButton button, QPoint pressPoint);
  void DragTimerTick();
  void OnRightButtonUp(QPoint clientPoint);
  ItemHandle DropDraggedItem(QPoint clientPoint);
  void ShowCursor(DragCursor cursor);
  void RestoreCursor();
  void ReleaseCapture();
  QPoint ToTree(QPoint clientPoint) const;

  CTest3Dlg& window_;
  CCmdTree& tree_;
  Workspace& work_;
  // Items may go while the drag runs (a key command): persistent indexes notice.
  QPersistentModelIndex source_;
  QPersistentModelIndex target_;
  Qt::MouseButton button_ = Qt::NoButton;
  bool dragging_ = false;
  QTimer timer_;          // scrolls while the pointer rests above or below the tree
  QPoint pointer_;        // last pointer position, tree viewport coordinates
  QPoint menuDropPoint_;  // where the right button was released
  std::array<QCursor, 4> cursors_;
  DragCursor cursor_ = DragCursor::kNone;
  bool cursorShown_ = false;
};

}  // namespace vexa
