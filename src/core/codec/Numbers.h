// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decimal numbers the way fields and files are read: leading blanks, an optional sign,
// digits up to the first non-digit, 0 when there are none.

#include <cstdint>
#include <string_view>

namespace vexa {

// Never overflows: values beyond the 64-bit range saturate.
std::int64_t ParseLeadingInteger64(std::string_view text);

// The same, saturated to the 32-bit range.
std::int32_t ParseLeadingInteger(std::string_view text);

}  // namespace vexa
