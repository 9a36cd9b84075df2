// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/EditSettingsForm.h"

#include "core/codec/Cp932.h"

namespace vexa {

EditSettingsFields EditFieldsOf(const CommSettings& s) {
  return {s.hexInputDefault != 0, s.hexDisplayDefault != 0, s.useEscapes != 0, s.separator};
}

bool IsSeparatorCharacter(std::string_view text) {
  if (text.size() != 1) return false;
  const auto byte = static_cast<unsigned char>(text[0]);
  return (byte >= 0x20 || byte == '\t') && byte != 0x7F && !IsCp932LeadByte(byte);
}

SeparatorFieldText ConstrainSeparatorField(std::string_view typed, std::string_view previous) {
  if (typed.empty() || IsSeparatorCharacter(typed)) return {std::string(typed), false};
  const std::string_view first = typed.substr(0, 1);
  if (typed.size() > 1 && IsSeparatorCharacter(first)) return {std::string(first), true};
  return {std::string(previous), true};
}

std::optional<EditFieldError> ApplyEditFields(const EditSettingsFields& fields,
                                              CommSettings& settings) {
  if (fields.separator.empty()) {
    return EditFieldError{"説明とｺﾏﾝﾄﾞの区切りが設定されていません。", "Vexa"};
  }
  settings.separator = fields.separator.substr(0, 1);
  settings.hexInputDefault = fields.hexInputDefault ? 1 : 0;
  settings.hexDisplayDefault = fields.hexDisplayDefault ? 1 : 0;
  settings.useEscapes = fields.useEscapes ? 1 : 0;
  return std::nullopt;
}

}  // namespace vexa
