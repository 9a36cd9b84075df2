// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/Memory.h"

#include <algorithm>

namespace vexa::tasim {
namespace {

constexpr std::size_t kMaxAddress = 24;
constexpr std::size_t kMaxSubaddress = 19;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

// One number is stored from the factory, so that dialling a stored number works before
// anything was stored.
Memory::Memory() {
  shortDial[0] = "0312340000";
}

std::string& Memory::OwnAddress(char port) {
  return port == 'A' ? ownAddressA : port == 'B' ? ownAddressB : ownAddress;
}

const std::string& Memory::OwnAddress(char port) const {
  return const_cast<Memory*>(this)->OwnAddress(port);
}

bool IsValidNumber(std::string_view text) {
  const auto slash = text.find('/');
  const std::string_view address = text.substr(0, slash);
  if (address.empty() || address.size() > kMaxAddress) return false;
  if (!std::all_of(address.begin(), address.end(), [](char c) { return IsDigit(c) || c == '-'; }))
    return false;
  if (!std::any_of(address.begin(), address.end(), IsDigit)) return false;
  if (slash == std::string_view::npos) return true;
  const std::string_view subaddress = text.substr(slash + 1);
  return !subaddress.empty() && subaddress.size() <= kMaxSubaddress &&
         std::all_of(subaddress.begin(), subaddress.end(), IsDigit);
}

}  // namespace vexa::tasim
