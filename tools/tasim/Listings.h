// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The information texts of the display commands, one string per line, ASCII.

#include <string>
#include <string_view>
#include <vector>

#include "tasim/Memory.h"
#include "tasim/Profile.h"

namespace vexa::tasim {

using Lines = std::vector<std::string>;

// ATI0 (device code), ATI4 (maker); empty for any other number.
Lines IdentityListing(int number);
// AT&H0 / AT&H1: one page of stored numbers as "&Zn=number".
Lines ShortDialListing(const Memory& memory, int page);
// AT#H, AT#HA, AT#HB: port is 0, 'A' or 'B'.
Lines OwnAddressListing(const Memory& memory, char port);
// AT\S0: port speed, format, flow control, echo, PPP mode, line, signal control, signals.
Lines StatusListing(const Profile& profile, std::string_view lineState);
// AT\S1: every S-register with its name and value.
Lines RegisterNameListing(const Profile& profile);
// AT\S2: result code settings.
Lines ResultListing(const Profile& profile);
// AT\S3: S-register values only, several to a line.
Lines RegisterValueListing(const Profile& profile);
// AT$A0, AT$B0, AT$C0, AT$N0: the parameters of that group ('A', 'B', 'C', 'N').
Lines GroupListing(const Profile& profile, char group);
// AT\C0.
Lines TotalChargeListing(const Memory& memory);
// AT#C: clearing cause and charge of the last call.
Lines LastCallListing(const Memory& memory);

// An S-register value as ATSn? shows it: three digits.
std::string ThreeDigits(int value);

}  // namespace vexa::tasim
