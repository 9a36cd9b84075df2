// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One command item: what the operator typed for a tree node, its kinds, its timing, the
// bytes derived from the typed data, and the run-time state of its timers.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

// Data kinds.
enum ItemKind : std::int32_t { kKindNone = 0, kKindText = 1, kKindHex = 2 };

// Results of deriving bytes.
enum class BuildResult : int { kOk = 0, kNotHex = 1, kEscapeError = 2 };

// Limits of the numbers an operator can enter.
inline constexpr std::int32_t kMaxRepeatPeriod = 16776960;
inline constexpr std::int32_t kMaxAnswerDelay = 16776960;

class CAttr {
 public:
  CAttr() = default;
  // Copies like Assign; answerPending and errorPosition start at 0.
  CAttr(const CAttr& other) { Assign(other); }
  CAttr& operator=(const CAttr& other) { return Assign(other); }
  virtual ~CAttr() = default;

  // Copies everything except answerPending and errorPosition, which keep their values.
  CAttr& Assign(const CAttr& other);

  // Derives sendBytes from sendText and sendKind, then appends the terminator.
  BuildResult BuildSendBytes(std::string_view terminator, bool useEscapes);
  // Derives receiveBytes from receiveText and receiveKind (no terminator).
  BuildResult BuildReceiveBytes(bool useEscapes);

  std::int32_t ErrorPosition() const { return errorPosition; }
  std::int32_t sendLength() const { return static_cast<std::int32_t>(sendBytes.size()); }
  std::int32_t receiveLength() const { return static_cast<std::int32_t>(receiveBytes.size()); }

  std::int32_t sendKind = kKindNone;
  std::int32_t receiveKind = kKindNone;
  std::int32_t repeatPeriod = 0;  // ms; 0 = no repetition
  std::int32_t answerDelay = 1;   // ms
  std::string receiveText;
  std::string receiveDescription;
  std::string sendText;
  std::string sendDescription;
  std::string label;  // description, separator, data: the line shown in the tree
  std::uint32_t repeatTimerId = 0;
  // Set on the window thread when an answer is scheduled, cleared by the timer thread.
  std::atomic<std::int32_t> answerPending{0};
  std::uint32_t answerTimerId = 0;
  std::string sendBytes;     // replaced only under the send lock
  std::string receiveBytes;  // empty: no automatic answer

 private:
  static BuildResult Derive(const std::string& text, std::int32_t kind, bool useEscapes,
                            std::string_view terminator, std::string& bytes,
                            std::int32_t& errorPosition);

  std::int32_t errorPosition = 0;
};

}  // namespace vexa
