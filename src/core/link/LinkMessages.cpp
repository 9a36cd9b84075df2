// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/LinkMessages.h"

#include "core/codec/Cp932.h"
#include "core/codec/TimeText.h"

namespace vexa {
namespace {

constexpr std::size_t kQuotedBytes = 20;

std::string Quoted(std::string_view typedText) {
  std::string quoted(typedText.substr(0, kQuotedBytes));
  if (typedText.size() > kQuotedBytes) quoted += "......";
  return "「" + Cp932ToUtf8(quoted) + "」";
}

}  // namespace

std::string OpenFailedMessage(std::string_view portName) {
  return "\"" + Cp932ToUtf8(portName) + "\"がｵｰﾌﾟﾝできません。";
}

std::string AwaitingDeviceStatus(std::string_view portName) {
  return "再接続待ち(" + Cp932ToUtf8(portName) + ")";
}

std::string ReconnectedNote(WallTime time) {
  return "--- 再接続 " + TimeOfDayText(time).substr(0, 8) + " ---";
}

std::string ConversionFailedMessage(SendOutcome outcome, std::string_view typedText) {
  return Quoted(typedText) +
         (outcome == SendOutcome::kNotHex ? " は16進数にできません。" : " ｴｽｹｰﾌﾟｼｰｹﾝｽの誤りです。");
}

}  // namespace vexa
