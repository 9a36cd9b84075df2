// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the operator is told when the link fails, worded once for the window and the runner.
// UTF-8 texts; operator data inside them (port names, typed commands) is CP932.

#include <string>
#include <string_view>

#include "core/link/LinkSession.h"

namespace vexa {

inline constexpr char kSendErrorCaption[] = "送信ｴﾗｰ";
inline constexpr char kWriteFailedMessage[] = "異常が発生したので通信を終了します(1)。";
inline constexpr char kDeviceLostMessage[] = "異常が発生したので通信を終了します(2)。";
inline constexpr char kAnswerTimerErrorMessage[] = "自動応答ﾀｲﾏのｼｽﾃﾑｴﾗｰです。";
inline constexpr char kLogOpenFailedMessage[] = "ﾛｸﾞﾌｧｲﾙがｵｰﾌﾟﾝできません";

// "\"COM1\"がｵｰﾌﾟﾝできません。"
std::string OpenFailedMessage(std::string_view portName);

// "再接続待ち(COM1)": the status while a lost device is waited for.
std::string AwaitingDeviceStatus(std::string_view portName);
// "--- 再接続 12:34:56 ---" (local time): where the gap was.
std::string ReconnectedNote(WallTime time);

// The message for typed text that could not be converted (not HEX, or a bad escape), with the
// text quoted as "「...」" and cut to its first 20 bytes.
std::string ConversionFailedMessage(SendOutcome outcome, std::string_view typedText);

}  // namespace vexa
