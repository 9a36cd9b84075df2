// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/Attr.h"

#include "core/codec/Codec.h"

namespace vexa {

CAttr& CAttr::Assign(const CAttr& other) {
  if (this == &other) return *this;
  receiveText = other.receiveText;
  receiveDescription = other.receiveDescription;
  sendText = other.sendText;
  sendDescription = other.sendDescription;
  label = other.label;
  sendKind = other.sendKind;
  receiveKind = other.receiveKind;
  repeatPeriod = other.repeatPeriod;
  answerDelay = other.answerDelay;
  repeatTimerId = other.repeatTimerId;
  answerTimerId = other.answerTimerId;
  sendBytes = other.sendBytes;
  receiveBytes = other.receiveBytes;
  return *this;
}

BuildResult CAttr::Derive(const std::string& text, std::int32_t kind, bool useEscapes,
                          std::string_view terminator, std::string& bytes,
                          std::int32_t& errorPosition) {
  bytes.clear();
  errorPosition = 0;
  if (text.empty()) return BuildResult::kOk;
  Bytes derived;
  if (kind == kKindHex) {
    if (!HexToBytes(text, derived)) return BuildResult::kNotHex;
  } else if (useEscapes) {
    const int position = EscapeTextToBytes(text, derived);
    if (position != 0) {
      errorPosition = position;
      return BuildResult::kEscapeError;
    }
  } else {
    derived = text;
  }
  derived.append(terminator);
  bytes = std::move(derived);
  return BuildResult::kOk;
}

BuildResult CAttr::BuildSendBytes(std::string_view terminator, bool useEscapes) {
  return Derive(sendText, sendKind, useEscapes, terminator, sendBytes, errorPosition);
}

BuildResult CAttr::BuildReceiveBytes(bool useEscapes) {
  return Derive(receiveText, receiveKind, useEscapes, {}, receiveBytes, errorPosition);
}

}  // namespace vexa
