// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The demo command file: the built-in command set for the simulated terminal adapter, and a
// heading that shows an automatic answer and a periodic send at work.

#include "core/items/ItemTree.h"
#include "core/settings/CommSettings.h"

namespace vexa::demo {

inline constexpr char kDemoPort[] = "/tmp/vexa-ta";  // where vexa-tasim links its device
inline constexpr int kRingAnswerDelayMs = 500;
inline constexpr int kHelloPeriodMs = 5000;

// Fills an empty `tree` and sets `settings` to what the demo file holds.
void BuildDemo(ItemTree& tree, CommSettings& settings);

}  // namespace vexa::demo
