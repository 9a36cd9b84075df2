// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The built-in AT-command library for ISDN terminal adapters.

#include <string>

namespace vexa {

// The set as CP932 item lines of the older form ("level,description;command"), each ended by
// LF: 202 lines, 4,673 bytes (4,674 with the closing zero of a C string).
const std::string& DefaultCommandSetText();

}  // namespace vexa
