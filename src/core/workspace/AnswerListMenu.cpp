// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workspace/AnswerListMenu.h"

#include "core/CommandIds.h"

namespace vexa {

MenuDescription AnswerListMenuDescription(bool linesSelected, bool listEmpty) {
  return {
      MenuEntry::Command(kCmdAnswerCopy, "ｺﾋﾟｰ(&C)", linesSelected),
      MenuEntry::Command(kCmdAnswerSelectAll, "すべて選択(&A)", !listEmpty),
      MenuEntry::Separator(),
      MenuEntry::Command(kCmdAnswerFind, "検索(&F)..."),
      MenuEntry::Separator(),
      MenuEntry::Command(kCmdAnswerClear, "ｸﾘｱ(&L)", !listEmpty),
      MenuEntry::Command(kCmdAnswerSave, "名前をつけて保存(&S)...", !listEmpty),
  };
}

}  // namespace vexa
