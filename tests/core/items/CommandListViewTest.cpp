// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/CommandListView.h"

#include <gtest/gtest.h>

#include "support/ItemTreeText.h"

namespace vexa {
namespace {

// Keeps the rows it is given, as the window would show them.
class RowRecorder : public CommandListView {
 public:
  bool IsShown() const override { return true; }
  void AddRow(ItemHandle item, const CAttr& record) override {
    rows.push_back({item, record.sendText});
  }
  bool RemoveRow(ItemHandle) override { return false; }
  void RemoveAllRows() override { rows.clear(); }
  void SetFileTitle(const std::string&) override {}

  std::vector<std::pair<ItemHandle, std::string>> rows;
};

TEST(RefillCommandList, OneRowPerItemWithDataInWalkOrder) {
  CommandTree tree;
  const ItemHandle group = test::Add(tree, nullptr, "group");
  const ItemHandle first = test::Add(tree, group, "first;AT");
  test::Add(tree, group, "heading");
  const ItemHandle last = test::Add(tree, nullptr, "last;ATZ");
  tree.Record(first)->sendText = "AT";
  tree.Record(last)->sendText = "ATZ";

  RowRecorder list;
  list.rows.push_back({nullptr, "stale"});
  int pauses = 0;
  RefillCommandList(tree, list, [&] { ++pauses; });
  using Row = std::pair<ItemHandle, std::string>;
  EXPECT_EQ(list.rows, (std::vector<Row>{{first, "AT"}, {last, "ATZ"}}));
  EXPECT_EQ(pauses, 4) << "after every item";
}

}  // namespace
}  // namespace vexa
