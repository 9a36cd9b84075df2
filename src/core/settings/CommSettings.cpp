// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/CommSettings.h"

#include <algorithm>
#include <array>

namespace vexa {
namespace {

constexpr std::array<const char*, 5> kParityTexts = {"\x82\xC8\x82\xB5", "odd", "even", "mark",
                                                     "space"};
constexpr std::array<const char*, 3> kStopBitsTexts = {"1", "1.5", "2"};

template <std::size_t N>
std::optional<int> IndexOf(const std::array<const char*, N>& texts, std::string_view text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (text == texts[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

bool IsDevicePath(std::string_view name) {
  return name.size() >= 2 && name.size() <= kPortNameMax && name[0] == '/' &&
         std::none_of(name.begin(), name.end(), [](char c) {
           const auto byte = static_cast<unsigned char>(c);
           return c == ',' || byte < 0x20 || byte == 0x7F;
         });
}

}  // namespace

const CommSettings kDefaultCommSettings{};

const char* ParityToText(int parity) {
  return (parity >= 0 && parity < static_cast<int>(kParityTexts.size())) ? kParityTexts[parity]
                                                                         : nullptr;
}

std::optional<int> ParityFromText(std::string_view text) {
  return IndexOf(kParityTexts, text);
}

const char* StopBitsToText(int stopBits) {
  return (stopBits >= 0 && stopBits < static_cast<int>(kStopBitsTexts.size()))
             ? kStopBitsTexts[stopBits]
             : nullptr;
}

std::optional<int> StopBitsFromText(std::string_view text) {
  return IndexOf(kStopBitsTexts, text);
}

bool IsValidPortName(std::string_view name) {
  if (name.size() == 4 && name.substr(0, 3) == "COM") return name[3] >= '0' && name[3] <= '8';
  return IsDevicePath(name);
}

}  // namespace vexa
