// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What travels with each entry of the receive queue besides its bytes: when it happened and
// where it came from. Received records and, while sent lines are shown, the writes to the link
// share the queue, so that draining it gives both in the order they happened.

#include <cstdint>

#include "platform/Clock.h"

namespace vexa {

enum class RecordOrigin : std::uint8_t {
  kReceived = 0,
  kSentByOperator = 1,  // the command box, or a tree item (Enter, 送信, double click)
  kSentPeriodic = 2,
  kSentAnswer = 3,  // an automatic answer
  kNote = 4,        // a line of the program's own (a reconnection); never queued
};

constexpr bool IsSent(RecordOrigin origin) {
  return origin == RecordOrigin::kSentByOperator || origin == RecordOrigin::kSentPeriodic ||
         origin == RecordOrigin::kSentAnswer;
}

struct RecordTag {
  // Received: when the record's first byte was read from the driver. Sent: when the write began.
  WallTime time{};
  RecordOrigin origin = RecordOrigin::kReceived;
};

// The mark that starts a sent line when it is shown (UTF-8): the direction and the origin.
constexpr const char* SentMarker(RecordOrigin origin) {
  switch (origin) {
    case RecordOrigin::kSentPeriodic:
      return "⟳";
    case RecordOrigin::kSentAnswer:
      return "↩";
    case RecordOrigin::kSentByOperator:
      return "→";
    case RecordOrigin::kReceived:
    case RecordOrigin::kNote:
      break;
  }
  return "";
}

}  // namespace vexa
