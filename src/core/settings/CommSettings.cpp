// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/CommSettings.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>

namespace vexa {
namespace {

constexpr std::array<const char*, 5> kParityTexts = {"\x82\xC8\x82\xB5", "odd", "even", "mark",
                                                     "space"};
constexpr std::array<const char*, 3> kStopBitsTexts = {"1", "1.5", "2"};

template <std::size_t N>
std::optional<int> IndexOf(const std::array<const char*, N>& texts, std::string_view text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (text == texts[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

bool IsDevicePath(std::string_view name) {
  return name.size() >= 2 && name.size() <= kPortNameMax && name[0] == '/' &&
         std::none_of(name.begin(), name.end(), [](char c) {
           const auto byte = static_cast<unsigned char>(c);
           return c == ',' || byte < 0x20 || byte == 0x7F;
         });
}

bool IsHostNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

// A host name or IPv4 address, or an IPv6 address between brackets (returned without them).
std::optional<std::string> ParseHost(std::string_view host) {
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
    in6_addr parsed{};
    if (inet_pton(AF_INET6, std::string(host).c_str(), &parsed) != 1) return std::nullopt;
    return std::string(host);
  }
  if (host.empty() || !std::all_of(host.begin(), host.end(), IsHostNameCharacter)) {
    return std::nullopt;
  }
  return std::string(host);
}

std::optional<std::uint16_t> ParseTcpPort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5 || digits.front() == '0' ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const int port = std::stoi(std::string(digits));
  if (port > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

}  // namespace

const CommSettings kDefaultCommSettings{};

const char* ParityToText(int parity) {
  return (parity >= 0 && parity < static_cast<int>(kParityTexts.size())) ? kParityTexts[parity]
                                                                         : nullptr;
}

std::optional<int> ParityFromText(std::string_view text) {
  return IndexOf(kParityTexts, text);
}

const char* StopBitsToText(int stopBits) {
  return (stopBits >= 0 && stopBits < static_cast<int>(kStopBitsTexts.size()))
             ? kStopBitsTexts[stopBits]
             : nullptr;
}

std::optional<int> StopBitsFromText(std::string_view text) {
  return IndexOf(kStopBitsTexts, text);
}

bool IsValidPortName(std::string_view name) {
  if (name.size() == 4 && name.substr(0, 3) == "COM") return name[3] >= '0' && name[3] <= '8';
  return IsDevicePath(name) || ParseNetworkPortName(name).has_value();
}

std::optional<NetworkPortName> ParseNetworkPortName(std::string_view name) {
  if (name.size() > kPortNameMax) return std::nullopt;
  NetworkProtocol protocol;
  if (name.starts_with("tcp://")) {
    protocol = NetworkProtocol::kRaw;
    name.remove_prefix(6);
  } else if (name.starts_with("rfc2217://")) {
    protocol = NetworkProtocol::kRfc2217;
    name.remove_prefix(10);
  } else {
    return std::nullopt;
  }
  const std::size_t colon = name.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::optional<std::string> host = ParseHost(name.substr(0, colon));
  const std::optional<std::uint16_t> port = ParseTcpPort(name.substr(colon + 1));
  if (!host || !port) return std::nullopt;
  return NetworkPortName{protocol, {*host, *port}};
}

}  // namespace vexa
