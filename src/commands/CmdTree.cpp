#include "commands/CmdTree.h"

#include <QFocusEvent>
#include <QHeaderView>

#include "codec/QtText.h"

namespace vexa {
namespace {

// The item owns its record: deleting the item frees it.
class CmdTreeItem : public QTreeWidgetItem {
 public:
  explicit CmdTreeItem(std::unique_ptr<CAttr> record) : record_(std::move(record)) {}
  CAttr* Record() const { return record_.get(); }

 private:
  std::unique_ptr<CAttr> record_;
};

}  // namespace

CCmdTree::CCmdTree(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  header()->hide();
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setUniformRowHeights(true);
  // Labels are edited in the item editor, never in place.
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

CCmdTree::~CCmdTree() = default;

QTreeWidgetItem* CCmdTree::ItemOf(ItemHandle handle) {
  return const_cast<QTreeWidgetItem*>(static_cast<const QTreeWidgetItem*>(handle));
}

ItemHandle CCmdTree::FirstChild(ItemHandle parent) const {
  if (!parent) return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
  const QTreeWidgetItem* item = ItemOf(parent);
  return item->childCount() > 0 ? item->child(0) : nullptr;
}

ItemHandle CCmdTree::NextSibling(ItemHandle handle) const {
  QTreeWidgetItem* item = ItemOf(handle);
  // The model remembers each item's row, so this avoids a search among the siblings.
  const int next = indexFromItem(item).row() + 1;
  QTreeWidgetItem* parent = item->parent();
  if (parent) return next < parent->childCount() ? parent->child(next) : nullptr;
  return next < topLevelItemCount() ? topLevelItem(next) : nullptr;
}

ItemHandle CCmdTree::Parent(ItemHandle item) const { return ItemOf(item)->parent(); }

CAttr* CCmdTree::Record(ItemHandle item) const {
  return static_cast<CmdTreeItem*>(ItemOf(item))->Record();
}

ItemHandle CCmdTree::AppendItem(ItemHandle parent, std::unique_ptr<CAttr> record) {
  const std::string label = record->label;
  auto* item = new CmdTreeItem(std::move(record));
  if (parent) {
    ItemOf(parent)->addChild(item);
  } else {
    addTopLevelItem(item);
  }
  SetDisplayText(item, label);
  return item;
}

void CCmdTree::ClearTree() { clear(); }

void CCmdTree::RecordChanged(ItemHandle item) { SetDisplayText(item, Record(item)->label); }

void CCmdTree::SetDisplayText(ItemHandle item, std::string_view label) {
  QString shown = ToQString(label.substr(0, kShownLabelBytes));
  if (label.size() > kShownLabelBytes) shown += QStringLiteral("...");
  ItemOf(item)->setText(0, shown);
}

void CCmdTree::focusInEvent(QFocusEvent* event) {
  QTreeWidget::focusInEvent(event);
  emit focusGained();
}

void CCmdTree::focusOutEvent(QFocusEvent* event) {
  QTreeWidget::focusOutEvent(event);
  emit focusLost();
}

}  // namespace vexa
