// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CP932 (Shift-JIS) <-> UTF-8 for the widget boundary, and character-aware helpers.

#include <cstddef>
#include <string>
#include <string_view>

namespace vexa {

// True for a byte that starts a CP932 double-byte character.
constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Decodes CP932 bytes to UTF-8. Bytes that do not form a valid character (a lone lead
// byte, a cut character) become U+FFFD each; the rest of the text is still decoded.
std::string Cp932ToUtf8(std::string_view cp932);

// Encodes UTF-8 to CP932. A character CP932 cannot hold, or a malformed UTF-8 sequence,
// becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);

// UTF-8 text with every control byte (0x00-0x1F, 0x7F) as its Unicode control picture
// (U+2400...), so that a line stays one line wherever it is written.
std::string WithControlPictures(std::string_view utf8);

// Index of the first occurrence of the single byte `needle` that stands as a character of
// its own (not as the trail byte of a double-byte character), or npos.
std::size_t FindCp932Char(std::string_view text, char needle);

}  // namespace vexa
