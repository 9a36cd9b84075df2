// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/Numbers.h"

#include <algorithm>
#include <limits>

namespace vexa {

std::int64_t ParseLeadingInteger64(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10 - 9;
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > kLimit) {
      value = std::numeric_limits<std::int64_t>::max();
      break;
    }
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

std::int32_t ParseLeadingInteger(std::string_view text) {
  const std::int64_t value = ParseLeadingInteger64(text);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace vexa
