// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one settings record: line settings, framing, terminators and edit settings.
// Text fields hold CP932 bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/NetworkAddress.h"

namespace vexa {

// Field limits (the stored forms of the command file hold at most these many bytes).
inline constexpr std::size_t kFormatTagMax = 15;
inline constexpr std::size_t kPortNameMax = 255;

struct CommSettings {
  std::string formatTag = "Vexa";  // tag of the command file these settings came from
  std::int32_t baudRate = 9600;
  std::int32_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
  std::int32_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::int32_t hexDisplayDefault = 0;
  std::int32_t hexInputDefault = 0;
  std::int32_t useEscapes = 0;
  std::int32_t recordLength = 10;  // bytes per record when there is no receive terminator
  std::string sendTerminatorName = "CR+LF";
  std::string receiveTerminatorName = "CR+LF";
  std::string sendTerminator = "\r\n";     // 0 to 2 bytes, never 0x00
  std::string receiveTerminator = "\r\n";  // empty: fixed-length records
  std::string separator = ";";             // exactly one byte
  std::string portName = "COM1";
  std::int32_t receiveTimeout = 100;  // ms
  std::int32_t dataBits = 8;

  // Kind given to new command data: 2 (HEX) when HEX input is the default, else 1 (text).
  int DefaultKind() const { return hexInputDefault ? 2 : 1; }
  char SeparatorChar() const { return separator.empty() ? ';' : separator[0]; }

  bool operator==(const CommSettings&) const = default;
};

// The record that start-up, a new file and the default command set begin from.
extern const CommSettings kDefaultCommSettings;

// "なし" "odd" "even" "mark" "space" (the first in CP932); an unknown code gives nullptr.
const char* ParityToText(int parity);
// Exact, case-sensitive reverse of ParityToText.
std::optional<int> ParityFromText(std::string_view text);

// "1" "1.5" "2"; an unknown code gives nullptr.
const char* StopBitsToText(int stopBits);
std::optional<int> StopBitsFromText(std::string_view text);

// "COM0" to "COM8"; an absolute device path; or a serial port on another machine,
// "tcp://HOST:PORT" (the bytes as they are) or "rfc2217://HOST:PORT" (Telnet with the com-port
// option), HOST a name, an IPv4 address or an IPv6 address in brackets. At most 255 bytes,
// no commas and no control bytes.
bool IsValidPortName(std::string_view name);

struct NetworkPortName {
  NetworkProtocol protocol;
  NetworkAddress address;
};
// The parts of a "tcp://" or "rfc2217://" name; nothing for any other name.
std::optional<NetworkPortName> ParseNetworkPortName(std::string_view name);

}  // namespace vexa
