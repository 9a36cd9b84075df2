#pragma once
// The command tree of the main window: a tree widget whose every item owns one CAttr, seen by
// the core through ItemTree. It reports when it gains and loses the keyboard focus, which
// decides the accelerator table.

#include <QTreeWidget>
#include <memory>
#include <string_view>

#include "commands/ItemTree.h"

namespace vexa {

class CCmdTree : public QTreeWidget, public ItemTree {
  Q_OBJECT

 public:
  // Labels longer than this many bytes are shown cut, followed by "...".
  static constexpr std::size_t kShownLabelBytes = 120;

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

  // Shows the label, cut after 120 bytes.
  void SetDisplayText(ItemHandle item, std::string_view label);

 signals:
  void focusGained();
  void focusLost();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace vexa
