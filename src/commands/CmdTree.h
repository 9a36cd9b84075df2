#pragma once
// The command tree of the main window: a tree widget whose every item owns one CAttr, seen by
// the core through ItemTree. It shows each item's kind as an image, reports when it gains and
// loses the keyboard focus (which decides the accelerator table), and turns right clicks, the
// context-menu key, slow clicks on a selected label and double clicks into requests that the
// main window's handlers answer. Labels are never edited in place.

#include <QIcon>
#include <QPersistentModelIndex>
#include <QTimer>
#include <QTreeWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "commands/ItemTree.h"

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

  // A handle is the item's address.
  static QTreeWidgetItem* ItemOf(ItemHandle handle);
  // Model indexes, for holding on to an item that may be deleted meanwhile.
  QModelIndex IndexOf(ItemHandle item) const { return indexFromItem(ItemOf(item)); }
  ItemHandle ItemAt(const QModelIndex& index) const { return itemFromIndex(index); }

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
  // Shows the context menu; the chosen row's command id, or 0.
  int ShowItemMenu(bool onItem, QPoint screenPoint, std::int32_t kind, bool defaultSetEnabled);
  void RequestLabelEdit(ItemHandle item);

  // Decides a double click: true when it was handled (the tree then does not expand or
  // collapse the item).
  void SetDoubleClickHandler(std::function<bool()> handler) { doubleClickHandler_ = std::move(handler); }

 signals:
  void focusGained();
  void focusLost();
  void labelEditRequested(QTreeWidgetItem* item);
  // The context menu is wanted at a screen point, with the item rows when `onItem`.
  void itemMenuRequested(bool onItem, QPoint screenPoint);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

 private:
  QRect LabelRectInViewport(QTreeWidgetItem* item) const;
  QTreeWidgetItem* LastVisibleItem() const;
  void OnLabelClickTimeout();

  std::array<QIcon, 3> images_;
  std::function<bool()> doubleClickHandler_;
  // A click on the label of the selected item asks for an edit only once no double click
  // followed it.
  QTimer labelClick_;
  QPersistentModelIndex clickedLabel_;
  bool pressOnSelectedLabel_ = false;
  bool f10Down_ = false;
};

}  // namespace vexa
