// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The millisecond clock of the link: monotonic, wrapping modulo 2^32.

#include <cstdint>

namespace vexa {

std::uint32_t TimeGetTime();

// Milliseconds from `since` to `now`, correct across one wrap of the clock.
inline std::uint32_t ElapsedMs(std::uint32_t since, std::uint32_t now) {
  return now - since;
}

}  // namespace vexa
