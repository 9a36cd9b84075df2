// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The right-button menu of the answer list.

#include "core/MenuDescription.h"

namespace vexa {

MenuDescription AnswerListMenuDescription(bool linesSelected, bool listEmpty);

}  // namespace vexa
