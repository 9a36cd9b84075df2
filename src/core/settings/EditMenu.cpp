// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/EditMenu.h"

namespace vexa {

TextSpan CrcSpan(const EditFieldState& field) {
  if (field.selectionStart == field.selectionEnd) return {0, field.textLength};
  return {field.selectionStart, field.selectionEnd};
}

MenuDescription EditMenuDescription(const EditFieldState& field, const CCalcSum& sum,
                                    std::string_view selectedText, std::string_view coveredText) {
  const bool hasSelection = field.selectionStart != field.selectionEnd;
  const bool allSelected = field.selectionStart == 0 && field.selectionEnd == field.textLength;
  MenuDescription menu = {
      MenuEntry::Command(kIdEditUndo, "元に戻す(&U)", field.canUndo),
      MenuEntry::Separator(),
      MenuEntry::Command(kIdEditCut, "切り取り(&T)", hasSelection),
      MenuEntry::Command(kIdEditCopy, "ｺﾋﾟｰ(&C)", hasSelection),
      MenuEntry::Command(kIdEditPaste, "貼り付け(&P)", field.clipboardHasText),
      MenuEntry::Command(kIdEditClear, "削除(&D)", hasSelection),
      MenuEntry::Separator(),
      MenuEntry::Command(kIdEditSelectAll, "すべて選択(&A)", field.textLength != 0 && !allSelected),
  };
  sum.AppendSumMenu(menu, selectedText);
  sum.AppendCrcMenu(menu, coveredText);
  return menu;
}

}  // namespace vexa
