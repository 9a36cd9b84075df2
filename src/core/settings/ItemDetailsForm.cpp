// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/ItemDetailsForm.h"

#include <cctype>
#include <string_view>

namespace vexa {
namespace {

constexpr char kNotUnsigned[] = "正の整数を入力してください。";

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// An unsigned decimal number, saturated at the 64-bit limit; nullopt when the text is not one.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  const std::size_t digits = i;
  std::uint64_t value = 0;
  constexpr std::uint64_t kSaturated = UINT64_MAX / 10 - 9;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value > kSaturated ? UINT64_MAX : value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  if (i == digits) return std::nullopt;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i != text.size()) return std::nullopt;
  return value;
}

std::optional<ItemNumberError> ReadNumber(ItemNumberField field, const std::string& text,
                                          std::int32_t low, std::int32_t high,
                                          std::int32_t& value) {
  const std::optional<std::uint64_t> number = ParseUnsigned(text);
  if (!number) return ItemNumberError{field, kNotUnsigned};
  if (*number < static_cast<std::uint64_t>(low) || *number > static_cast<std::uint64_t>(high)) {
    return ItemNumberError{field, std::to_string(low) + " から " + std::to_string(high) +
                                      " までの整数を入力してください。"};
  }
  value = static_cast<std::int32_t>(*number);
  return std::nullopt;
}

std::int32_t& KindOf(CAttr& item, ItemDataSide side) {
  return side == ItemDataSide::kSend ? item.sendKind : item.receiveKind;
}

BuildResult Derive(CAttr& item, ItemDataSide side, const CommSettings& settings) {
  const bool escapes = settings.useEscapes != 0;
  return side == ItemDataSide::kSend ? item.BuildSendBytes(settings.sendTerminator, escapes)
                                     : item.BuildReceiveBytes(escapes);
}

}  // namespace

ItemDetailsFields DetailFieldsOf(const CAttr& item) {
  return {item.sendDescription,
          item.sendText,
          item.receiveDescription,
          item.receiveText,
          std::to_string(item.repeatPeriod),
          std::to_string(item.answerDelay),
          item.sendKind == kKindHex,
          item.receiveKind == kKindHex};
}

std::optional<ItemNumberError> ApplyItemNumbers(const ItemDetailsFields& fields, CAttr& item) {
  std::int32_t delay = 0;
  std::int32_t period = 0;
  if (auto error = ReadNumber(ItemNumberField::kDelay, fields.delay, 1, kMaxAnswerDelay, delay))
    return error;
  if (auto error = ReadNumber(ItemNumberField::kPeriod, fields.period, 0, kMaxRepeatPeriod, period))
    return error;
  item.answerDelay = delay;
  item.repeatPeriod = period;
  return std::nullopt;
}

BuildResult ApplyItemData(CAttr& item, ItemDataSide side, const ItemDetailsFields& fields,
                          const CommSettings& settings) {
  const bool send = side == ItemDataSide::kSend;
  const std::string& data = send ? fields.sendText : fields.receiveText;
  if (send) {
    item.sendDescription = fields.sendDescription;
    item.sendText = data;
    item.label = fields.sendDescription + settings.SeparatorChar() + data;
  } else {
    item.receiveDescription = fields.receiveDescription;
    item.receiveText = data;
  }
  const bool hex = send ? fields.sendHex : fields.receiveHex;
  KindOf(item, side) = data.empty() ? kKindNone : hex ? kKindHex : kKindText;
  return Derive(item, side, settings);
}

BuildResult KeepItemDataAsText(CAttr& item, ItemDataSide side, const CommSettings& settings) {
  KindOf(item, side) = kKindText;
  return Derive(item, side, settings);
}

}  // namespace vexa
