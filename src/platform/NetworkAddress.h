// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a serial port on another machine is, and how it is spoken to.

#include <cstdint>
#include <string>

namespace vexa {

struct NetworkAddress {
  std::string host;  // a name, an IPv4 address, or an IPv6 address without brackets
  std::uint16_t port = 0;

  bool operator==(const NetworkAddress&) const = default;
};

// The bytes as they are, or Telnet with the com-port option (RFC 2217).
enum class NetworkProtocol { kRaw, kRfc2217 };

}  // namespace vexa
