// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/CommSettingsForm.h"

#include <cctype>

#include "core/codec/Codec.h"
#include "core/codec/Numbers.h"

namespace vexa {
namespace {

constexpr char kNoneText[] = "\x82\xC8\x82\xB5";  // なし

// A whole integer: blanks, an optional sign, digits, blanks, nothing else.
bool IsWholeInteger(const std::string& text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  if (text[i] == '+' || text[i] == '-') ++i;
  const std::size_t digits = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  return i > digits && text.find_first_not_of(' ', i) == std::string::npos;
}

std::string Format(const char* pattern, int a, int b = 0) {
  char text[128];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

}  // namespace

CommSettingsFields FieldsOf(const CommSettings& s) {
  return {s.portName,
          std::to_string(s.baudRate),
          StopBitsToText(s.stopBits) ? StopBitsToText(s.stopBits) : "",
          ParityToText(s.parity) ? ParityToText(s.parity) : "",
          s.sendTerminatorName,
          s.receiveTerminatorName,
          std::to_string(s.recordLength),
          std::to_string(s.dataBits),
          std::to_string(s.receiveTimeout)};
}

bool RecordLengthEditable(const std::string& receiveTerminatorText) {
  return receiveTerminatorText == kNoneText;
}

namespace {

// Steps 1 to 4: port, speed, stop bits, parity.
std::optional<CommFieldError> ApplyLineFraming(const CommSettingsFields& f, CommSettings& s) {
  if (!IsValidPortName(f.port)) return CommFieldError{CommField::kPort, {}, {}};
  s.portName = f.port;
  // Negative rates are refused too: no line runs at them.
  s.baudRate = ParseLeadingInteger(f.baud);
  if (s.baudRate <= 0 || s.baudRate > kMaxBaudRate) {
    return CommFieldError{CommField::kBaud, Format("通信ﾚｰﾄは %d までです。", kMaxBaudRate),
                          "通信ﾚｰﾄ"};
  }
  const auto stopBits = StopBitsFromText(f.stopBits);
  if (!stopBits) return CommFieldError{CommField::kStopBits, {}, {}};
  s.stopBits = *stopBits;
  const auto parity = ParityFromText(f.parity);
  if (!parity) return CommFieldError{CommField::kParity, {}, {}};
  s.parity = *parity;
  return std::nullopt;
}

// Terminators and record length: these may change while connected.
std::optional<CommFieldError> ApplyRecordFraming(const CommSettingsFields& f, CommSettings& s) {
  const auto send = TerminatorFromText(f.sendTerminator);
  if (!send) return CommFieldError{CommField::kSendTerminator, {}, {}};
  s.sendTerminatorName = f.sendTerminator;
  s.sendTerminator = *send;
  const auto receive = TerminatorFromText(f.receiveTerminator);
  if (!receive) return CommFieldError{CommField::kReceiveTerminator, {}, {}};
  s.receiveTerminatorName = f.receiveTerminator;
  s.receiveTerminator = *receive;
  s.recordLength = ParseLeadingInteger(f.recordLength);
  if (s.recordLength < 1 || s.recordLength > kMaxRecordLength) {
    return CommFieldError{CommField::kRecordLength,
                          Format("受信ﾚｺｰﾄﾞ長は１～ %d までです。", kMaxRecordLength),
                          "受信ﾚｺｰﾄﾞ長"};
  }
  return std::nullopt;
}

// Data bits and receive time-out, then the data bits as a whole number.
std::optional<CommFieldError> ApplyLineTiming(const CommSettingsFields& f, CommSettings& s) {
  s.dataBits = ParseLeadingInteger(f.dataBits);
  if (s.dataBits < kMinDataBits || s.dataBits > kMaxDataBits) {
    return CommFieldError{CommField::kDataBits,
                          Format("ﾃﾞｰﾀﾋﾞｯﾄ長は %d ～ %d までです。", kMinDataBits, kMaxDataBits),
                          "ﾃﾞｰﾀﾋﾞｯﾄ長"};
  }
  s.receiveTimeout = ParseLeadingInteger(f.timeout);
  if (s.receiveTimeout < 1 || s.receiveTimeout > kMaxReceiveTimeout) {
    return CommFieldError{CommField::kTimeout,
                          Format("受信ﾀｲﾑｱｳﾄは 1 ～ %d までです。", kMaxReceiveTimeout),
                          "受信ﾀｲﾑｱｳﾄ"};
  }
  // "5x" passes the range check above.
  if (!IsWholeInteger(f.dataBits)) {
    return CommFieldError{CommField::kDataBits, "整数を入力してください。", "Vexa"};
  }
  return std::nullopt;
}

}  // namespace

std::optional<CommFieldError> ApplyCommFields(const CommSettingsFields& f, CommSettings& settings,
                                              LineFields lineFields) {
  CommSettings s = settings;
  const bool readLine = lineFields == LineFields::kRead;
  if (readLine) {
    if (auto error = ApplyLineFraming(f, s)) return error;
  }
  if (auto error = ApplyRecordFraming(f, s)) return error;
  if (readLine) {
    if (auto error = ApplyLineTiming(f, s)) return error;
  }
  settings = std::move(s);
  return std::nullopt;
}

}  // namespace vexa
