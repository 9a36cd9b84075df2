// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command tree of the main window: a tree widget whose every item owns one CAttr, seen by
// the core through ItemTree. It shows each item's kind as an image, reports when it gains and
// loses the keyboard focus (which decides the accelerator table), and turns right clicks, the
// context-menu key, slow clicks on a selected label and double clicks into requests that the
// main window's handlers answer. Labels are never edited in place. For dragging items it
// reports when a press on an item has moved far enough to begin a drag, tells where a point
// falls, shows a drop highlight and copies subtrees; the drag itself is TreeDragDrop's.

#include <QIcon>
#include <QPersistentModelIndex>
#include <QTimer>
#include <QTreeWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "core/items/ItemTree.h"

namespace vexa {

class CCmdTree : public QTreeWidget, public ItemTree {
  Q_OBJECT

 public:
  enum ItemImage : int { kImageHex = 0, kImageText = 1, kImageHeading = 2 };

  explicit CCmdTree(QWidget* parent = nullptr);
  ~CCmdTree() override;

  ItemHandle FirstChild(ItemHandle parent) const override;
  ItemHandle NextSibling(ItemHandle item) const override;
  ItemHandle Parent(ItemHandle item) const override;
  CAttr* Record(ItemHandle item) const override;
  ItemHandle AppendItem(ItemHandle parent, std::unique_ptr<CAttr> record) override;
  void ClearTree() override;
  void RecordChanged(ItemHandle item) override;

  // The tree widget's item of a handle, and back: every item of this tree is a handle.
  static QTreeWidgetItem* ItemOf(ItemHandle handle);
  static ItemHandle HandleOf(QTreeWidgetItem* item);
  // Model indexes, for holding on to an item that may be deleted meanwhile.
  QModelIndex IndexOf(ItemHandle item) const { return indexFromItem(ItemOf(item)); }
  ItemHandle ItemAt(const QModelIndex& index) const { return HandleOf(itemFromIndex(index)); }

  // Shows the label, cut after 120 bytes and followed by "...".
  void SetDisplayText(ItemHandle item, std::string_view label);

  // The three item images (HEX, text, heading); until they are built items show none.
  void CreateItemImages();
  static ItemImage ImageForKind(std::int32_t kind);
  const QIcon& Image(ItemImage image) const { return images_[image]; }
  void UpdateItemImage(ItemHandle item);

  // Inserts "新しいアイテム" of `kind` under `parent` (nullptr: top level) directly after
  // `after` (nullptr: as the last child), selects it, takes the focus and asks for its label
  // to be edited.
  ItemHandle InsertNewItem(ItemHandle parent, ItemHandle after, std::int32_t kind);
  // Copies `source` with everything below it as the last child of `target`, or directly after
  // `target` under its parent. Nothing (nullptr) without a target, or when the target is the
  // source or lies below it.
  ItemHandle CopySubtree(ItemHandle target, ItemHandle source, bool asLastChild);
  // Deletes the item with everything below it and their records. When the selection goes
  // with it, the item that takes its place becomes selected, as in a native tree.
  void DeleteSubtree(ItemHandle item);

  ItemHandle SelectedItem() const;
  void SelectItem(ItemHandle item);
  // Select the first top-level item / the last item of the walk, scrolled to the top.
  void SelectFirstItem();
  void SelectLastItem();

  // The item's label text in screen coordinates (scrolled into view first).
  QRect LabelRect(ItemHandle item);

  // Where a point of the viewport falls: the item of its row, and whether it lies to the
  // right of that item's label.
  struct HitTest {
    ItemHandle item = nullptr;
    bool rightOfLabel = false;
  };
  HitTest HitTestAt(QPoint viewportPoint) const;
  // The item drawn as the drop target (nullptr: none). While one is shown, the selection is
  // not drawn.
  void SetDropHighlight(ItemHandle item);
  ItemHandle DropHighlight() const { return ItemAt(dropHighlight_); }
  // Shows the context menu; the chosen row's command id, or 0.
  int ShowItemMenu(bool onItem, QPoint screenPoint, std::int32_t kind, bool defaultSetEnabled);
  void RequestLabelEdit(ItemHandle item);

  void doItemsLayout() override;

  // Decides a double click: true when it was handled (the tree then does not expand or
  // collapse the item).
  void SetDoubleClickHandler(std::function<bool()> handler) {
    doubleClickHandler_ = std::move(handler);
  }

 signals:
  void focusGained();
  void focusLost();
  void labelEditRequested(QTreeWidgetItem* item);
  // The context menu is wanted at a screen point, with the item rows when `onItem`.
  void itemMenuRequested(bool onItem, QPoint screenPoint);
  // A press of `button` on an item moved the drag distance; `pressPoint` is where it began,
  // in viewport coordinates. The tree takes no more of that press.
  void itemDragBegun(Qt::MouseButton button, QPoint pressPoint);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
  void updateGeometries() override;

 private:
  QRect LabelRectInViewport(QTreeWidgetItem* item) const;
  QTreeWidgetItem* LastVisibleItem() const;
  void OnLabelClickTimeout();
  ItemHandle InsertItem(ItemHandle parent, ItemHandle after, std::unique_ptr<CAttr> record);
  void RequestMenuForClick(QPoint screenPoint);

  std::array<QIcon, 3> images_;
  std::function<bool()> doubleClickHandler_;
  // A click on the label of the selected item asks for an edit only once no double click
  // followed it.
  QTimer labelClick_;
  QPersistentModelIndex clickedLabel_;
  bool pressOnSelectedLabel_ = false;
  bool f10Down_ = false;
  // A press on an item that may become a drag.
  Qt::MouseButton dragButton_ = Qt::NoButton;
  QPoint dragPress_;
  // A right press waits for its release to open the menu: moving it first drags instead.
  bool menuOnRelease_ = false;
  QPersistentModelIndex dropHighlight_;
  // Fits the column to the rows once the changes of one event have all been made.
  QTimer geometryUpdate_;
  bool rowsChanged_ = true;
  int rowsWidth_ = 0;  // of the rows last measured
};

}  // namespace vexa
