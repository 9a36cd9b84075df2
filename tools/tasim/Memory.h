// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the adapter keeps across every reset: stored numbers, own addresses and charges.

#include <array>
#include <string>
#include <string_view>

namespace vexa::tasim {

inline constexpr int kShortDialSlots = 20;
// AT&H0 lists slots 0-9, AT&H1 slots 10-19.
inline constexpr int kShortDialPageSize = 10;

struct LastCall {
  std::string address;
  int charge = 0;  // yen
};

struct Memory {
  Memory();

  // Port 'A', 'B', or anything else for the data port.
  std::string& OwnAddress(char port);
  const std::string& OwnAddress(char port) const;

  // Each "address" or "address/subaddress"; empty when unused.
  std::array<std::string, kShortDialSlots> shortDial;
  std::string ownAddress;   // data port, AT#Z
  std::string ownAddressA;  // analog port A, AT#ZA
  std::string ownAddressB;  // analog port B, AT#ZB
  int totalCharge = 0;      // yen
  bool hadCall = false;
  LastCall lastCall;
};

// "address[/subaddress]": address digits and dashes, subaddress digits, both bounded.
bool IsValidNumber(std::string_view text);

}  // namespace vexa::tasim
