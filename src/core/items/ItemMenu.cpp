// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/ItemMenu.h"

#include "core/CommandIds.h"
#include "core/items/Attr.h"

namespace vexa {

MenuDescription ItemMenuDescription(bool onItem, bool defaultSetEnabled, std::int32_t kind) {
  MenuDescription menu = {
      MenuEntry::Command(kCmdInsert, "挿入(&I)"),
      MenuEntry::Command(kCmdInsertChild, "子挿入(&C)"),
  };
  if (onItem) {
    menu.push_back(MenuEntry::Separator());
    menu.push_back(MenuEntry::Command(kCmdDelete, "削除(&D)"));
    menu.push_back(MenuEntry::Command(kCmdDeleteAll, "全削除(&A)"));
  }
  if (defaultSetEnabled) {
    menu.push_back(MenuEntry::Separator());
    menu.push_back(MenuEntry::Command(kCmdDefaultSet, "ﾃﾞﾌｫﾙﾄ(&F)"));
  }
  if (onItem) {
    menu.push_back(MenuEntry::Separator());
    if (kind == kKindHex) menu.push_back(MenuEntry::Command(kCmdTextData, "TEXT ﾃﾞｰﾀ"));
    if (kind == kKindText) menu.push_back(MenuEntry::Command(kCmdHexData, "HEX ﾃﾞｰﾀ"));
    menu.push_back(MenuEntry::Command(kCmdItemDetails, "詳細設定(&P)"));
    menu.push_back(MenuEntry::Command(kCmdEditItem, "編集(&E)"));
  }
  return menu;
}

MenuDescription DropMenuDescription() {
  return {
      MenuEntry::Command(kCmdDropCopy, "ここにｺﾋﾟｰ(&C)"),
      MenuEntry::Command(kCmdDropMove, "ここに移動(&M)"),
      MenuEntry::Command(kCmdDropCancel, "ｷｬﾝｾﾙ"),
  };
}

}  // namespace vexa
