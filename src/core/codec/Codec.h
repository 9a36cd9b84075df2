// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions between what the operator types and the bytes on the wire.
// Every text here is a CP932 byte string that may hold 0x00.

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace vexa {

// A counted byte string; 0x00 is data, not an end mark.
using Bytes = std::string;

// Pairs of hexadecimal digits, either case, nothing between them. An unpaired last
// digit is ignored. On failure `out` holds the bytes completed before the bad byte.
bool HexToBytes(std::string_view text, Bytes& out);

// Decodes backslash escapes of `src[0..n)` into `dest`, which must hold n + 1 bytes.
// Returns 0 on success, else the 0-based position of the byte after the backslash
// (after the x for a hex escape). `dest[count]` is always 0x00.
int DecodeEscapes(const char* src, std::size_t n, char* dest, std::size_t& count);

// DecodeEscapes over a whole text. `out` receives the bytes decoded before any error.
int EscapeTextToBytes(std::string_view text, Bytes& out);

// Terminator bytes (0 to 2, no 0x00) for a terminator name, or nullopt when invalid.
// Names are compared exactly: "CR", "LF", "CR+LF", "なし" (CP932), or a backslash escape text.
std::optional<Bytes> TerminatorFromText(std::string_view name);

// Longest terminator name a settings field holds.
inline constexpr std::size_t kTerminatorNameMax = 9;

// "%02x" for every byte, nothing between: O K CR LF -> "4f4b0d0a".
std::string HexDisplay(std::string_view record);
// Writes the HEX display into `out` (2 * size bytes); the allocation-free form of HexDisplay.
void HexDisplayInto(std::string_view record, char* out);

// The record as text: the terminator dropped when the record ends with it, 0x00 shown as '.'.
std::string TextDisplay(std::string_view record, std::string_view terminator);
// `record` without `terminator` at its end, where it ends with it.
std::string_view WithoutTerminator(std::string_view record, std::string_view terminator);

// What a HEX search looks for, in the form HexDisplay writes: pairs of hex digits in either
// case, blanks allowed between the pairs. Nothing when the text is not such pairs.
std::optional<std::string> HexSearchDigits(std::string_view text);

// True when `record` ends with `terminator` (one or two bytes) and nothing before that end
// starts it: a record the link framed by it, one line, known without searching it line by line.
inline bool EndsAtItsOnlyTerminator(std::string_view record, std::string_view terminator) {
  const std::size_t size = terminator.size();
  if (size == 0 || size > 2 || record.size() < size) return false;
  const std::size_t body = record.size() - size;
  if (record[body] != terminator[0] || (size == 2 && record[body + 1] != terminator[1])) {
    return false;
  }
  return std::memchr(record.data(), terminator[0], body) == nullptr;
}

// Finds record ends in a byte stream. A byte that breaks a partial match is tested again
// against the first terminator byte, so CR CR LF ends at its CR LF.
class TerminatorMatcher {
 public:
  explicit TerminatorMatcher(std::string_view terminator) : terminator_(terminator) {}

  // Feeds one byte; true when it completes the terminator (the count then starts over).
  bool Feed(char byte) {
    if (byte == terminator_[matched_]) {
      if (++matched_ == terminator_.size()) {
        matched_ = 0;
        return true;
      }
      return false;
    }
    // Only reachable with a two-byte terminator: a one-byte one matches or stays at 0.
    matched_ = (byte == terminator_[0]) ? 1 : 0;
    return false;
  }
  void Reset() { matched_ = 0; }

  // Length of the first record in `data` (terminator included), or 0 when none ends there.
  // Starts from a fresh count.
  std::size_t FindRecordEnd(std::string_view data);

 private:
  std::string_view terminator_;  // 1 or 2 bytes
  std::size_t matched_ = 0;
};

}  // namespace vexa
