// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The millisecond clock of the link: monotonic, wrapping modulo 2^32; and the wall clock that
// says when something happened.

#include <chrono>
#include <cstdint>

namespace vexa {

std::uint32_t TimeGetTime();

using WallTime = std::chrono::system_clock::time_point;
inline WallTime WallClockNow() {
  return std::chrono::system_clock::now();
}

// Milliseconds from `since` to `now`, correct across one wrap of the clock.
inline std::uint32_t ElapsedMs(std::uint32_t since, std::uint32_t now) {
  return now - since;
}

}  // namespace vexa
