// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/features/TreeDragDrop.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>

#include "core/CommandIds.h"
#include "core/items/ItemMenu.h"
#include "core/workspace/Workspace.h"
#include "gui/controls/CmdTree.h"
#include "gui/seam/UiSeam.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {
namespace {

constexpr int kDragTimerMs = 100;

// Cursor resources 104, 105, 142 and 158, in the order of DragCursor from kMove on.
constexpr const char* kCursorFiles[] = {":/vexa/drag-move.png", ":/vexa/drag-copy.png",
                                        ":/vexa/drag-move-child.png", ":/vexa/drag-copy-child.png"};

TreeDragDrop::DragCursor CursorFor(bool copy, bool asLastChild) {
  using C = TreeDragDrop::DragCursor;
  if (copy) return asLastChild ? C::kCopyAsChild : C::kCopy;
  return asLastChild ? C::kMoveAsChild : C::kMove;
}

}  // namespace

TreeDragDrop::TreeDragDrop(CTest3Dlg& window, Workspace& work)
    : window_(window), tree_(window.Tree()), work_(work) {
  for (std::size_t i = 0; i < cursors_.size(); ++i) {
    cursors_[i] = QCursor(QPixmap(QString::fromLatin1(kCursorFiles[i])), 0, 0);
  }
  timer_.setInterval(kDragTimerMs);
  connect(&timer_, &QTimer::timeout, this, &TreeDragDrop::DragTimerTick);
  connect(&tree_, &CCmdTree::itemDragBegun, this, &TreeDragDrop::OnItemDragBegun);
  window.ClientArea().installEventFilter(this);

  connect(&window, &CTest3Dlg::treeDragMoved, this, [this](QPoint clientPoint) {
    pointer_ = ToTree(clientPoint);
    DragOver(pointer_);
  });
  connect(&window, &CTest3Dlg::treeDropped, this,
          [this](QPoint clientPoint, bool ctrlHeld) { DropHere(!ctrlHeld, clientPoint); });
  connect(&window, &CTest3Dlg::treeDragCancelled, this, &TreeDragDrop::CancelItemDrag);
  window.SetCommandHandler(kCmdDropCopy, [this] { DropHere(false, menuDropPoint_); });
  window.SetCommandHandler(kCmdDropMove, [this] { DropHere(true, menuDropPoint_); });
  window.SetCommandHandler(kCmdDropCancel, [this] { CancelItemDrag(); });
}

TreeDragDrop::~TreeDragDrop() {
  if (dragging_) StopDragTimer();
}

ItemHandle TreeDragDrop::DragSource() const {
  return tree_.ItemAt(source_);
}

ItemHandle TreeDragDrop::DropTarget() const {
  return tree_.ItemAt(target_);
}

QPoint TreeDragDrop::ToTree(QPoint clientPoint) const {
  return tree_.viewport()->mapFrom(&window_.ClientArea(), clientPoint);
}

void TreeDragDrop::OnItemDragBegun(Qt::MouseButton button, QPoint pressPoint) {
  if (window_.CaptureMode() != CTest3Dlg::kIdle) return;
  if (StartItemDrag(button, pressPoint)) window_.SetCaptureMode(CTest3Dlg::kDraggingItem);
}

bool TreeDragDrop::StartItemDrag(Qt::MouseButton button, QPoint pressPoint) {
  source_ = QPersistentModelIndex();
  target_ = QPersistentModelIndex();
  // Qt's drag distance may exceed half a row, so the pointer can already be over the next
  // item: the pressed one is the one meant.
  const ItemHandle item = tree_.HitTestAt(pressPoint).item;
  if (!item) return false;
  tree_.SelectItem(item);
  source_ = tree_.IndexOf(item);
  button_ = button;
  pointer_ = pressPoint;
  window_.ClientArea().grabMouse();
  timer_.start();
  dragging_ = true;
  return true;
}

void TreeDragDrop::DragOver(QPoint point) {
  const CCmdTree::HitTest hit = tree_.HitTestAt(point);
  QTreeWidgetItem* item = CCmdTree::ItemOf(hit.item);
  const QRect area = tree_.viewport()->rect();
  const bool above = point.y() < area.top();
  if (tree_.verticalScrollBar()->isVisible() && (above || point.y() > area.bottom())) {
    QTreeWidgetItem* shown = CCmdTree::ItemOf(tree_.DropHighlight());
    item = !shown ? nullptr : above ? tree_.itemAbove(shown) : tree_.itemBelow(shown);
  }
  if (!item) return;  // highlight, target and cursor stay
  const ItemHandle target = CCmdTree::HandleOf(item);
  tree_.scrollToItem(item);
  tree_.SetDropHighlight(target);
  target_ = tree_.IndexOf(target);
  if (target == DragSource()) {
    ShowCursor(DragCursor::kRefused);
  } else {
    const bool ctrl = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
    ShowCursor(CursorFor(ctrl, hit.rightOfLabel));
  }
}

void TreeDragDrop::DragTimerTick() {
  if (DragSource()) DragOver(pointer_);
}

void TreeDragDrop::StopDragTimer() {
  timer_.stop();
  dragging_ = false;
  ReleaseCapture();
  RestoreCursor();
}

void TreeDragDrop::CancelItemDrag() {
  if (dragging_) StopDragTimer();
  source_ = QPersistentModelIndex();
  target_ = QPersistentModelIndex();
  tree_.SetDropHighlight(nullptr);
}

void TreeDragDrop::DropHere(bool move, QPoint clientPoint) {
  tree_.SetDropHighlight(nullptr);
  const QPersistentModelIndex moved = move ? source_ : QPersistentModelIndex();
  const ItemHandle copy = DropDraggedItem(clientPoint);
  if (!copy) return;
  if (const ItemHandle original = tree_.ItemAt(moved)) {
    // No timer or answer may still reach the records that go.
    work_.ReleaseItems(original);
    tree_.DeleteSubtree(original);
  }
  work_.EngageItems(copy);
  tree_.SelectItem(copy);
  work_.RefillCommandList();
  work_.MarkModified();
}

ItemHandle TreeDragDrop::DropDraggedItem(QPoint clientPoint) {
  if (dragging_) StopDragTimer();
  const ItemHandle source = DragSource();
  const ItemHandle target = DropTarget();
  source_ = QPersistentModelIndex();
  target_ = QPersistentModelIndex();
  tree_.SetDropHighlight(nullptr);
  if (!source) return nullptr;
  return tree_.CopySubtree(target, source, tree_.HitTestAt(ToTree(clientPoint)).rightOfLabel);
}

bool TreeDragDrop::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_.ClientArea() && event->type() == QEvent::MouseButtonRelease &&
      window_.CaptureMode() == CTest3Dlg::kDraggingItem) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) OnRightButtonUp(mouse->position().toPoint());
  }
  return QObject::eventFilter(watched, event);
}

void TreeDragDrop::OnRightButtonUp(QPoint clientPoint) {
  window_.SetCaptureMode(CTest3Dlg::kIdle);
  if (button_ != Qt::RightButton) {
    CancelItemDrag();
    return;
  }
  StopDragTimer();
  menuDropPoint_ = clientPoint;
  const int chosen =
      ui::TrackMenu(&window_, DropMenuDescription(), window_.ClientArea().mapToGlobal(clientPoint));
  tree_.SetDropHighlight(nullptr);
  if (chosen != 0) {
    window_.ExecuteCommand(chosen);
  } else {
    CancelItemDrag();  // dismissed: the tree stays as it was
  }
}

void TreeDragDrop::ShowCursor(DragCursor cursor) {
  cursor_ = cursor;
  const QCursor shape = cursor == DragCursor::kRefused
                            ? QCursor(Qt::ForbiddenCursor)
                            : cursors_[static_cast<std::size_t>(cursor) -
                                       static_cast<std::size_t>(DragCursor::kMove)];
  if (cursorShown_) {
    QGuiApplication::changeOverrideCursor(shape);
  } else {
    QGuiApplication::setOverrideCursor(shape);
    cursorShown_ = true;
  }
}

void TreeDragDrop::RestoreCursor() {
  cursor_ = DragCursor::kNone;
  if (!cursorShown_) return;
  QGuiApplication::restoreOverrideCursor();
  cursorShown_ = false;
}

void TreeDragDrop::ReleaseCapture() {
  QWidget& client = window_.ClientArea();
  if (QWidget::mouseGrabber() == &client) client.releaseMouse();
}

}  // namespace vexa
