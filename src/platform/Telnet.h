// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Telnet side of a network serial port, as ser2net's telnet accepter speaks it (RFC 854
// with RFC 2217, "Telnet Com Port Control"): option negotiation, data with every 0xFF doubled,
// and the com-port commands that carry the line settings. Bytes in, bytes out; the socket is
// NetworkPort's.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Port.h"

namespace vexa {

class TelnetSession {
 public:
  static constexpr unsigned char kIac = 255;
  static constexpr unsigned char kDont = 254;
  static constexpr unsigned char kDo = 253;
  static constexpr unsigned char kWont = 252;
  static constexpr unsigned char kWill = 251;
  static constexpr unsigned char kSb = 250;
  static constexpr unsigned char kSe = 240;
  static constexpr unsigned char kBinary = 0;
  static constexpr unsigned char kEcho = 1;
  static constexpr unsigned char kSuppressGoAhead = 3;
  static constexpr unsigned char kComPort = 44;
  // A subnegotiation longer than this is cut: only the first bytes of a com-port reply matter.
  static constexpr std::size_t kSubnegotiationMax = 64;

  // What the client asks for at once: BINARY and SUPPRESS-GO-AHEAD both ways, and the
  // com-port option on its side.
  std::string Greeting();

  // Appends the data bytes of `raw` to `data`. Negotiation and subnegotiations are consumed
  // (replies the peer's requests call for wait in TakeReplies); a sequence cut between two
  // calls continues in the next.
  void Decode(std::string_view raw, std::string& data);
  // `data` as it goes on the wire: 0xFF doubled, and a CR not followed by LF sent as CR NUL
  // while the client side is not binary.
  std::string Encode(std::string_view data) const;
  // SET-BAUDRATE, SET-DATASIZE, SET-PARITY, SET-STOPSIZE and SET-CONTROL (no flow control);
  // nothing before the Greeting has asked for the com-port option, or once the peer refused.
  std::string LineSettingsCommands(const LineSettings& line) const;
  // The replies owed to the peer, taken out.
  std::string TakeReplies();

  bool ComPortRefused() const { return local_[kComPort] == State::kNo; }
  bool PeerBinary() const { return remote_[kBinary] == State::kYes; }

 private:
  // RFC 1143's states of one option on one side, without the queue bits.
  enum class State : std::uint8_t { kNo, kYes, kWantNo, kWantYes };
  enum class Parse : std::uint8_t { kData, kIac, kOption, kSub, kSubIac };

  void Ask(std::string& out, unsigned char verb, unsigned char option);
  void AfterIac(unsigned char byte, std::string& data);
  void Negotiate(unsigned char verb, unsigned char option);
  static bool Wanted(bool local, unsigned char option);

  std::array<State, 256> local_{};   // options on the client's side (WILL/WONT)
  std::array<State, 256> remote_{};  // options on the peer's side (DO/DONT)
  Parse parse_ = Parse::kData;
  unsigned char verb_ = 0;
  bool afterCr_ = false;
  std::string sub_;  // the subnegotiation being read, at most kSubnegotiationMax bytes
  std::string replies_;
};

}  // namespace vexa
