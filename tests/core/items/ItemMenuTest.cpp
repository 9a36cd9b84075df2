// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/ItemMenu.h"

#include <gtest/gtest.h>

#include "core/CommandIds.h"
#include "core/items/Attr.h"
#include "support/MenuText.h"

namespace vexa {
namespace {

using Rows = std::vector<std::string>;

TEST(ItemMenuDescription, RowsFollowThePlaceTheDefaultCommandAndTheKind) {
  struct Case {
    bool onItem;
    bool defaultEnabled;
    std::int32_t kind;
    Rows rows;
  };
  const Case cases[] = {
      {false, true, kKindNone, {"挿入(&I)", "子挿入(&C)", "-", "ﾃﾞﾌｫﾙﾄ(&F)"}},
      {false, false, kKindNone, {"挿入(&I)", "子挿入(&C)"}},
      {true,
       true,
       kKindText,
       {"挿入(&I)", "子挿入(&C)", "-", "削除(&D)", "全削除(&A)", "-", "ﾃﾞﾌｫﾙﾄ(&F)", "-", "HEX ﾃﾞｰﾀ",
        "詳細設定(&P)", "編集(&E)"}},
      {true,
       false,
       kKindHex,
       {"挿入(&I)", "子挿入(&C)", "-", "削除(&D)", "全削除(&A)", "-", "TEXT ﾃﾞｰﾀ", "詳細設定(&P)",
        "編集(&E)"}},
      {true,
       false,
       kKindNone,
       {"挿入(&I)", "子挿入(&C)", "-", "削除(&D)", "全削除(&A)", "-", "詳細設定(&P)", "編集(&E)"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(test::Rows(ItemMenuDescription(c.onItem, c.defaultEnabled, c.kind)), c.rows)
        << c.onItem << c.defaultEnabled << c.kind;
  }
}

TEST(ItemMenuDescription, EachRowSendsItsCommand) {
  std::vector<int> ids;
  for (const MenuEntry& entry : ItemMenuDescription(true, true, kKindText)) {
    if (entry.kind == MenuEntry::Kind::kCommand) ids.push_back(entry.id);
  }
  EXPECT_EQ(ids, (std::vector<int>{kCmdInsert, kCmdInsertChild, kCmdDelete, kCmdDeleteAll,
                                   kCmdDefaultSet, kCmdHexData, kCmdItemDetails, kCmdEditItem}));
  const MenuDescription hex = ItemMenuDescription(true, false, kKindHex);
  EXPECT_EQ(hex[6].id, kCmdTextData);
}

}  // namespace
}  // namespace vexa
