// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Telnet.h"

#include <algorithm>
#include <utility>

namespace vexa {
namespace {

constexpr unsigned char kSetBaudRate = 1;
constexpr unsigned char kSetDataSize = 2;
constexpr unsigned char kSetParity = 3;
constexpr unsigned char kSetStopSize = 4;
constexpr unsigned char kSetControl = 5;
constexpr unsigned char kNoFlowControl = 1;

char Byte(unsigned value) {
  return static_cast<char>(static_cast<unsigned char>(value));
}

// One com-port command: IAC SB COM-PORT-OPTION command value IAC SE, 0xFF doubled inside.
void AppendCommand(std::string& out, unsigned char command, const std::string& value) {
  out += Byte(TelnetSession::kIac);
  out += Byte(TelnetSession::kSb);
  out += Byte(TelnetSession::kComPort);
  out += Byte(command);
  for (char c : value) {
    out += c;
    if (static_cast<unsigned char>(c) == TelnetSession::kIac) out += c;
  }
  out += Byte(TelnetSession::kIac);
  out += Byte(TelnetSession::kSe);
}

}  // namespace

bool TelnetSession::Wanted(bool local, unsigned char option) {
  if (option == kBinary || option == kSuppressGoAhead) return true;
  return local && option == kComPort;
}

void TelnetSession::Ask(std::string& out, unsigned char verb, unsigned char option) {
  out += Byte(kIac);
  out += Byte(verb);
  out += Byte(option);
  std::array<State, 256>& side = (verb == kWill || verb == kWont) ? local_ : remote_;
  side[option] = (verb == kWill || verb == kDo) ? State::kWantYes : State::kWantNo;
}

std::string TelnetSession::Greeting() {
  std::string out;
  for (unsigned char option : {kBinary, kSuppressGoAhead}) {
    Ask(out, kWill, option);
    Ask(out, kDo, option);
  }
  Ask(out, kWill, kComPort);
  return out;
}

// RFC 1143 without its queue: a request for what is already so, or an answer to our own
// request, needs no reply, so two ends never loop.
void TelnetSession::Negotiate(unsigned char verb, unsigned char option) {
  const bool local = verb == kDo || verb == kDont;
  const bool enable = verb == kWill || verb == kDo;
  State& state = local ? local_[option] : remote_[option];
  const unsigned char agree = local ? kWill : kDo;
  const unsigned char refuse = local ? kWont : kDont;
  const auto reply = [&](unsigned char answer) {
    replies_ += Byte(kIac);
    replies_ += Byte(answer);
    replies_ += Byte(option);
  };
  switch (state) {
    case State::kNo:
      if (!enable) break;
      if (Wanted(local, option)) {
        state = State::kYes;
        reply(agree);
      } else {
        reply(refuse);
      }
      break;
    case State::kYes:
      if (enable) break;
      state = State::kNo;
      reply(refuse);
      break;
    case State::kWantNo:
      state = State::kNo;
      break;
    case State::kWantYes:
      state = enable ? State::kYes : State::kNo;
      break;
  }
}

void TelnetSession::AfterIac(unsigned char byte, std::string& data) {
  parse_ = Parse::kData;
  afterCr_ = false;
  if (byte == kIac) {
    data += Byte(byte);
  } else if (byte >= kWill && byte <= kDont) {
    verb_ = byte;
    parse_ = Parse::kOption;
  } else if (byte == kSb) {
    sub_.clear();
    parse_ = Parse::kSub;
  }  // other commands (NOP, GA, ...) carry nothing for a serial line
}

void TelnetSession::Decode(std::string_view raw, std::string& data) {
  while (!raw.empty()) {
    const bool binary = PeerBinary();  // negotiation within the same read may change it
    if (parse_ == Parse::kData && binary) {
      // The usual case: runs of plain bytes go over whole.
      const std::size_t run = std::min(raw.find(static_cast<char>(kIac)), raw.size());
      data.append(raw.substr(0, run));
      raw.remove_prefix(run);
      if (raw.empty()) break;
    }
    const auto byte = static_cast<unsigned char>(raw.front());
    raw.remove_prefix(1);
    switch (parse_) {
      case Parse::kData:
        if (byte == kIac) {
          parse_ = Parse::kIac;
        } else if (!(byte == 0 && afterCr_ && !binary)) {  // CR NUL stands for CR
          data += Byte(byte);
        }
        afterCr_ = byte == '\r';
        break;
      case Parse::kIac:
        AfterIac(byte, data);
        break;
      case Parse::kOption:
        Negotiate(verb_, byte);
        parse_ = Parse::kData;
        break;
      case Parse::kSub:
        if (byte == kIac) {
          parse_ = Parse::kSubIac;
        } else if (sub_.size() < kSubnegotiationMax) {
          sub_ += Byte(byte);
        }
        break;
      case Parse::kSubIac:
        if (byte == kIac) {
          if (sub_.size() < kSubnegotiationMax) sub_ += Byte(byte);
          parse_ = Parse::kSub;
        } else if (byte == kSe) {
          // The com-port replies and notifications only confirm: nothing to do with them.
          parse_ = Parse::kData;
        } else {
          AfterIac(byte, data);  // a command ends the subnegotiation and is read as one
        }
        break;
    }
  }
}

std::string TelnetSession::Encode(std::string_view data) const {
  const bool binary = local_[kBinary] == State::kYes || local_[kBinary] == State::kWantYes;
  std::string wire;
  wire.reserve(data.size() + 8);
  for (std::size_t i = 0; i < data.size(); ++i) {
    const char c = data[i];
    wire += c;
    if (static_cast<unsigned char>(c) == kIac) wire += c;
    if (!binary && c == '\r' && (i + 1 == data.size() || data[i + 1] != '\n')) wire += '\0';
  }
  return wire;
}

std::string TelnetSession::LineSettingsCommands(const LineSettings& line) const {
  if (ComPortRefused()) return {};
  const auto baud = static_cast<std::uint32_t>(std::max(line.baudRate, 0));
  const int dataBits = line.dataBits >= 5 && line.dataBits <= 8 ? line.dataBits : 8;
  const int parity = std::clamp(line.parity, 0, 4) + 1;  // none, odd, even, mark, space
  const int stopSize = line.stopBits == 1 ? 3 : line.stopBits == 2 ? 2 : 1;
  std::string out;
  AppendCommand(out, kSetBaudRate,
                {Byte(baud >> 24), Byte(baud >> 16), Byte(baud >> 8), Byte(baud)});
  AppendCommand(out, kSetDataSize, std::string(1, Byte(static_cast<unsigned>(dataBits))));
  AppendCommand(out, kSetParity, std::string(1, Byte(static_cast<unsigned>(parity))));
  AppendCommand(out, kSetStopSize, std::string(1, Byte(static_cast<unsigned>(stopSize))));
  AppendCommand(out, kSetControl, std::string(1, Byte(kNoFlowControl)));
  return out;
}

std::string TelnetSession::TakeReplies() {
  return std::exchange(replies_, {});
}

}  // namespace vexa
