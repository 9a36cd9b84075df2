// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A moment as the operator reads it, in local time.

#include <string>

#include "platform/Clock.h"

namespace vexa {

// "HH:MM:SS.mmm"
std::string TimeOfDayText(WallTime time);
// ISO 8601 with milliseconds and the zone's offset: "2024-05-01T09:03:15.123+09:00".
std::string IsoTimeText(WallTime time);

}  // namespace vexa
