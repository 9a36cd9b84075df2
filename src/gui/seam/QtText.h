// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one place where operator bytes (CP932) meet QString.

#include <QString>
#include <string>
#include <string_view>

namespace vexa {

// Invalid CP932 shows as U+FFFD; the rest of the text is still shown.
QString ToQString(std::string_view cp932);
// A character CP932 cannot hold becomes '?'.
std::string ToCp932(const QString& text);

}  // namespace vexa
