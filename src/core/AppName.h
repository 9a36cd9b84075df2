// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's name: the main window's caption and the caption of its failure messages.

namespace vexa {

inline constexpr char kAppName[] = "Vexa";

}  // namespace vexa
