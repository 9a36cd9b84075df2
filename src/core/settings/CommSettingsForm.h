// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The communication settings as the operator types them, and their checks in order. The
// dialog shows the fields; this decides what they mean.

#include <optional>
#include <string>

#include "core/settings/CommSettings.h"

namespace vexa {

// The dialog's fields, as CP932 text.
struct CommSettingsFields {
  std::string port, baud, stopBits, parity, sendTerminator, receiveTerminator, recordLength,
      dataBits, timeout;
};

enum class CommField {
  kPort,
  kBaud,
  kStopBits,
  kParity,
  kSendTerminator,
  kReceiveTerminator,
  kRecordLength,
  kDataBits,
  kTimeout,
};

// Why a field was refused: the field to focus, and a message (UTF-8) when there is one.
struct CommFieldError {
  CommField field;
  std::string message;  // empty: focus only
  std::string caption;
};

// The fields as the dialog shows them for a record.
CommSettingsFields FieldsOf(const CommSettings& settings);

// Whether the line settings (port, speed, stop bits, parity, data bits, time-out) are taken
// from the fields, or kept as the record has them because the link is connected.
enum class LineFields { kRead, kKept };

// Checks the fields in order, port first; the first failure is returned and `settings` is
// untouched. On success every field is in `settings`. Kept line settings are neither read nor
// checked: their controls are greyed, so the operator could not correct them.
std::optional<CommFieldError> ApplyCommFields(const CommSettingsFields& fields,
                                              CommSettings& settings,
                                              LineFields lineFields = LineFields::kRead);

// Whether the record-length field is editable for a receive terminator text.
bool RecordLengthEditable(const std::string& receiveTerminatorText);

// Highest and lowest values the checks accept.
inline constexpr int kMaxBaudRate = 256000;
inline constexpr int kMaxRecordLength = 512;
inline constexpr int kMinDataBits = 4;
inline constexpr int kMaxDataBits = 8;
inline constexpr int kMaxReceiveTimeout = 5000;

}  // namespace vexa
