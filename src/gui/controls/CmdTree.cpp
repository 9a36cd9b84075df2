// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/CmdTree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "core/codec/Cp932.h"
#include "core/items/CopySubtree.h"
#include "core/items/ItemMenu.h"
#include "core/items/Label.h"
#include "gui/seam/QtText.h"
#include "gui/seam/UiSeam.h"

namespace vexa {
namespace {

constexpr int kImageSide = 16;

// The item owns its record: deleting the item frees it.
class CmdTreeItem : public QTreeWidgetItem, public ItemNode {
 public:
  explicit CmdTreeItem(std::unique_ptr<CAttr> record) : record_(std::move(record)) {}
  CAttr* Record() const { return record_.get(); }

 private:
  std::unique_ptr<CAttr> record_;
};

// While a drop target is shown it is drawn as selected, and the selection is not.
class DropHighlightDelegate : public QStyledItemDelegate {
 public:
  explicit DropHighlightDelegate(CCmdTree& tree) : QStyledItemDelegate(&tree), tree_(tree) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const ItemHandle target = tree_.DropHighlight();
    if (!target) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    QStyleOptionViewItem shown(option);
    shown.state.setFlag(QStyle::State_Selected, tree_.ItemAt(index) == target);
    QStyledItemDelegate::paint(painter, shown, index);
  }

 private:
  const CCmdTree& tree_;
};

}  // namespace

CCmdTree::CCmdTree(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  header()->hide();
  // Labels are cut by their own rule (120 bytes and "..."), never by the view: a row wider
  // than the tree scrolls sideways. The column's width follows the rows, in updateGeometries.
  setTextElideMode(Qt::ElideNone);
  header()->setStretchLastSection(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  geometryUpdate_.setSingleShot(true);
  geometryUpdate_.setInterval(0);
  connect(&geometryUpdate_, &QTimer::timeout, this, &CCmdTree::updateGeometries);
  const auto rowsChanged = [this] {
    rowsChanged_ = true;
    if (!geometryUpdate_.isActive()) geometryUpdate_.start();
  };
  connect(model(), &QAbstractItemModel::dataChanged, this, rowsChanged);
  connect(this, &QTreeView::expanded, this, rowsChanged);
  connect(this, &QTreeView::collapsed, this, rowsChanged);
  // Long trees measure the rows near the view only; others come into view by scrolling.
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, rowsChanged);
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setUniformRowHeights(true);
  setIconSize(QSize(kImageSide, kImageSide));
  setItemDelegate(new DropHighlightDelegate(*this));
  // Qt's own editor never opens; a slow click on the selected label is reported instead.
  setEditTriggers(QAbstractItemView::SelectedClicked);
  labelClick_.setSingleShot(true);
  connect(&labelClick_, &QTimer::timeout, this, &CCmdTree::OnLabelClickTimeout);
}

CCmdTree::~CCmdTree() = default;

QTreeWidgetItem* CCmdTree::ItemOf(ItemHandle handle) {
  return static_cast<CmdTreeItem*>(handle);
}

ItemHandle CCmdTree::HandleOf(QTreeWidgetItem* item) {
  return static_cast<CmdTreeItem*>(item);
}

ItemHandle CCmdTree::FirstChild(ItemHandle parent) const {
  if (!parent) return topLevelItemCount() > 0 ? HandleOf(topLevelItem(0)) : nullptr;
  const QTreeWidgetItem* item = ItemOf(parent);
  return item->childCount() > 0 ? HandleOf(item->child(0)) : nullptr;
}

ItemHandle CCmdTree::NextSibling(ItemHandle handle) const {
  QTreeWidgetItem* item = ItemOf(handle);
  // The model remembers each item's row, so this avoids a search among the siblings.
  const int next = indexFromItem(item).row() + 1;
  QTreeWidgetItem* parent = item->parent();
  if (parent) return next < parent->childCount() ? HandleOf(parent->child(next)) : nullptr;
  return next < topLevelItemCount() ? HandleOf(topLevelItem(next)) : nullptr;
}

ItemHandle CCmdTree::Parent(ItemHandle item) const {
  return HandleOf(ItemOf(item)->parent());
}

CAttr* CCmdTree::Record(ItemHandle item) const {
  return static_cast<CmdTreeItem*>(ItemOf(item))->Record();
}

ItemHandle CCmdTree::AppendItem(ItemHandle parent, std::unique_ptr<CAttr> record) {
  return InsertItem(parent, nullptr, std::move(record));
}

ItemHandle CCmdTree::InsertItem(ItemHandle parent, ItemHandle after,
                                std::unique_ptr<CAttr> record) {
  auto* item = new CmdTreeItem(std::move(record));
  QTreeWidgetItem* owner = parent ? ItemOf(parent) : invisibleRootItem();
  const int position = after ? indexFromItem(ItemOf(after)).row() + 1 : owner->childCount();
  owner->insertChild(position, item);
  RecordChanged(item);
  return item;
}

void CCmdTree::ClearTree() {
  clear();
}

void CCmdTree::RecordChanged(ItemHandle item) {
  SetDisplayText(item, Record(item)->label);
  UpdateItemImage(item);
}

void CCmdTree::SetDisplayText(ItemHandle item, std::string_view label) {
  ItemOf(item)->setText(0, ToQString(DisplayTextOf(label)));
}

void CCmdTree::CreateItemImages() {
  const QPixmap strip(QStringLiteral(":/vexa/items.png"));
  for (int i = 0; i < static_cast<int>(images_.size()); ++i) {
    images_[static_cast<std::size_t>(i)] =
        QIcon(strip.copy(i * kImageSide, 0, kImageSide, kImageSide));
  }
}

CCmdTree::ItemImage CCmdTree::ImageForKind(std::int32_t kind) {
  switch (kind) {
    case kKindHex:
      return kImageHex;
    case kKindText:
      return kImageText;
    default:
      return kImageHeading;
  }
}

void CCmdTree::UpdateItemImage(ItemHandle item) {
  ItemOf(item)->setIcon(0, images_[ImageForKind(Record(item)->sendKind)]);
}

ItemHandle CCmdTree::InsertNewItem(ItemHandle parent, ItemHandle after, std::int32_t kind) {
  static const std::string kNewItemLabel = Utf8ToCp932("新しいアイテム");
  auto record = std::make_unique<CAttr>();
  record->label = kNewItemLabel;
  record->sendDescription = kNewItemLabel;
  record->sendKind = kind;
  const ItemHandle item = InsertItem(parent, after, std::move(record));
  SelectItem(item);
  setFocus();
  RequestLabelEdit(item);
  return item;
}

ItemHandle CCmdTree::CopySubtree(ItemHandle target, ItemHandle source, bool asLastChild) {
  if (!target || IsWithinSubtree(*this, target, source)) return nullptr;
  std::unique_ptr<CAttr> record = CopyOfRecord(*Record(source));
  const ItemHandle root = asLastChild ? AppendItem(target, std::move(record))
                                      : InsertItem(Parent(target), target, std::move(record));
  CopyDescendants(*this, source, root);
  return root;
}

void CCmdTree::DeleteSubtree(ItemHandle item) {
  delete ItemOf(item);  // its children, and every record, go with it
  if (selectedItems().isEmpty() && currentItem()) currentItem()->setSelected(true);
}

ItemHandle CCmdTree::SelectedItem() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? nullptr : HandleOf(selected.front());
}

void CCmdTree::SelectItem(ItemHandle item) {
  setCurrentItem(ItemOf(item));
  scrollToItem(ItemOf(item));
}

void CCmdTree::SelectFirstItem() {
  if (topLevelItemCount() == 0) return;
  setCurrentItem(topLevelItem(0));
  scrollToItem(topLevelItem(0), PositionAtTop);
}

void CCmdTree::SelectLastItem() {
  if (topLevelItemCount() == 0) return;
  QTreeWidgetItem* last = topLevelItem(topLevelItemCount() - 1);
  while (last->childCount() > 0) last = last->child(last->childCount() - 1);
  setCurrentItem(last);
  scrollToItem(last, PositionAtTop);
}

QRect CCmdTree::LabelRectInViewport(QTreeWidgetItem* item) const {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualItemRect(item);
  option.text = item->text(0);
  option.icon = item->icon(0);
  option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
  QRect text = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  text.setWidth(fontMetrics().horizontalAdvance(option.text) + 2 * margin);
  return text;
}

QRect CCmdTree::LabelRect(ItemHandle handle) {
  QTreeWidgetItem* item = ItemOf(handle);
  scrollToItem(item);
  const QRect rect = LabelRectInViewport(item);
  return QRect(viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

CCmdTree::HitTest CCmdTree::HitTestAt(QPoint viewportPoint) const {
  QTreeWidgetItem* item = itemAt(viewportPoint);
  if (!item) return {};
  return {HandleOf(item), viewportPoint.x() > LabelRectInViewport(item).right()};
}

void CCmdTree::SetDropHighlight(ItemHandle item) {
  if (item == DropHighlight()) return;
  dropHighlight_ = item ? QPersistentModelIndex(IndexOf(item)) : QPersistentModelIndex();
  viewport()->update();
}

int CCmdTree::ShowItemMenu(bool onItem, QPoint screenPoint, std::int32_t kind,
                           bool defaultSetEnabled) {
  return ui::TrackMenu(this, ItemMenuDescription(onItem, defaultSetEnabled, kind), screenPoint);
}

void CCmdTree::RequestLabelEdit(ItemHandle item) {
  emit labelEditRequested(ItemOf(item));
}

QTreeWidgetItem* CCmdTree::LastVisibleItem() const {
  QTreeWidgetItem* last = topLevelItem(topLevelItemCount() - 1);
  while (last->isExpanded() && last->childCount() > 0) last = last->child(last->childCount() - 1);
  return last;
}

void CCmdTree::RequestMenuForClick(QPoint screenPoint) {
  if (topLevelItemCount() == 0) {
    emit itemMenuRequested(false, screenPoint);
    return;
  }
  QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(screenPoint));
  SelectItem(HandleOf(item ? item : LastVisibleItem()));
  emit itemMenuRequested(true, screenPoint);
}

void CCmdTree::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (event->reason() == QContextMenuEvent::Mouse) {
    // Where the menu comes with the press, it waits for the release: moving first drags.
    if (QGuiApplication::mouseButtons() & Qt::RightButton) {
      menuOnRelease_ = true;
    } else {
      RequestMenuForClick(event->globalPos());
    }
    return;
  }
  if (topLevelItemCount() == 0) {
    emit itemMenuRequested(false, mapToGlobal(QPoint(0, 0)));
    return;
  }
  // The menu key alone does nothing on a tree with items; only Shift+F10 would, and while the
  // tree has the focus the accelerators take that combination first.
  const bool shiftF10 = f10Down_ && (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier);
  const ItemHandle selected = SelectedItem();
  if (!shiftF10 || !selected) return;
  SelectItem(selected);
  emit itemMenuRequested(true, LabelRect(selected).bottomRight());
}

void CCmdTree::mousePressEvent(QMouseEvent* event) {
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  pressOnSelectedLabel_ = event->button() == Qt::LeftButton && item && item->isSelected() &&
                          LabelRectInViewport(item).contains(event->position().toPoint());
  labelClick_.stop();
  const bool draggable =
      item && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton);
  dragButton_ = draggable ? event->button() : Qt::NoButton;
  dragPress_ = event->position().toPoint();
  QTreeWidget::mousePressEvent(event);
}

void CCmdTree::mouseMoveEvent(QMouseEvent* event) {
  if (dragButton_ == Qt::NoButton || !(event->buttons() & dragButton_)) {
    QTreeWidget::mouseMoveEvent(event);
    return;
  }
  // Until the press becomes a drag, moving it selects no other item.
  if ((event->position().toPoint() - dragPress_).manhattanLength() <
      QApplication::startDragDistance()) {
    return;
  }
  const Qt::MouseButton button = std::exchange(dragButton_, Qt::NoButton);
  menuOnRelease_ = false;
  pressOnSelectedLabel_ = false;
  stopAutoScroll();
  setState(NoState);  // the release goes to whoever runs the drag
  emit itemDragBegun(button, dragPress_);
}

void CCmdTree::mouseReleaseEvent(QMouseEvent* event) {
  dragButton_ = Qt::NoButton;
  const bool menu = menuOnRelease_ && event->button() == Qt::RightButton;
  if (event->button() == Qt::RightButton) menuOnRelease_ = false;
  QTreeWidget::mouseReleaseEvent(event);
  if (menu) RequestMenuForClick(event->globalPosition().toPoint());
}

void CCmdTree::mouseDoubleClickEvent(QMouseEvent* event) {
  labelClick_.stop();
  pressOnSelectedLabel_ = false;
  if (doubleClickHandler_ && doubleClickHandler_()) {
    event->accept();
    return;
  }
  QTreeWidget::mouseDoubleClickEvent(event);
}

bool CCmdTree::edit(const QModelIndex& index, EditTrigger trigger, QEvent* /*event*/) {
  if (trigger == SelectedClicked && pressOnSelectedLabel_) {
    pressOnSelectedLabel_ = false;
    clickedLabel_ = index;
    labelClick_.start(QApplication::doubleClickInterval());
  }
  return false;
}

void CCmdTree::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
  // The selection's band left of its label goes while a drop target is shown.
  if (DropHighlight()) painter->fillRect(rect, palette().base());
  QTreeWidget::drawBranches(painter, rect, index);
}

void CCmdTree::doItemsLayout() {
  rowsChanged_ = true;
  QTreeWidget::doItemsLayout();
}

void CCmdTree::updateGeometries() {
  // As wide as the widest row (of those near the view), and at least as wide as the view, so
  // that a point right of a short label still falls on its row. Rows are measured again only
  // when they changed: a view that only changes its size needs no measuring.
  if (rowsChanged_) {
    rowsChanged_ = false;
    rowsWidth_ = sizeHintForColumn(0);
  }
  const int width = std::max(viewport()->width(), rowsWidth_);
  if (columnWidth(0) != width) setColumnWidth(0, width);
  QTreeWidget::updateGeometries();
}

void CCmdTree::OnLabelClickTimeout() {
  QTreeWidgetItem* item = itemFromIndex(clickedLabel_);
  if (item && item->isSelected()) RequestLabelEdit(HandleOf(item));
}

void CCmdTree::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F10) f10Down_ = true;
  QTreeWidget::keyPressEvent(event);
}

void CCmdTree::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F10 && !event->isAutoRepeat()) f10Down_ = false;
  QTreeWidget::keyReleaseEvent(event);
}

void CCmdTree::focusInEvent(QFocusEvent* event) {
  QTreeWidget::focusInEvent(event);
  emit focusGained();
}

void CCmdTree::focusOutEvent(QFocusEvent* event) {
  f10Down_ = false;
  labelClick_.stop();
  QTreeWidget::focusOutEvent(event);
  emit focusLost();
}

}  // namespace vexa
