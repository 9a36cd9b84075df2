// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexa {

// Puts the calling thread at the lowest real-time priority, so that busy normal threads do
// not delay its wake-ups. Needs the right to real-time scheduling; without it nothing changes.
void AskForRealTimePriority();

// Puts the calling thread back to normal scheduling.
void LeaveRealTimePriority();

}  // namespace vexa
