// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the operator's edits make of an item. Each works on a copy of the item's record; the
// caller writes the copy back under the send lock once it is accepted.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/items/Attr.h"
#include "core/settings/CommSettings.h"

namespace vexa {

// An edited line: description and data split at the separator; a line without it becomes
// a heading, a heading that gains data takes the default kind, any other kind stays. Returns
// the BuildResult of deriving the bytes.
BuildResult ApplyEditedLine(CAttr& copy, std::string_view line, const CommSettings& settings);

// The operator chose to keep data that is not HEX as text. The bytes are derived again as
// text; the outcome is not examined.
void KeepAsText(CAttr& copy, const CommSettings& settings);

// The same typed data taken as another kind. nullopt when there is nothing to change (no
// data, or already that kind); otherwise the BuildResult.
std::optional<BuildResult> ChangeDataKind(CAttr& copy, std::int32_t kind,
                                          const CommSettings& settings);

}  // namespace vexa
