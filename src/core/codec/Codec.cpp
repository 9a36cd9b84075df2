// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/Codec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vexa {
namespace {

constexpr char kBackslash = '\\';

int HexDigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

struct SimpleEscape {
  char letter;
  char byte;
};
// Searched from the first row; the first match wins.
constexpr SimpleEscape kSimpleEscapes[] = {
    {'a', '\x07'}, {'b', '\x08'},  {'f', '\x0C'}, {'n', '\x0A'},  {'r', '\x0D'}, {'t', '\x09'},
    {'v', '\x0B'}, {'\'', '\x27'}, {'"', '\x22'}, {'\\', '\x5C'}, {'?', '\x3F'}, {0, 0},
};

const SimpleEscape* FindSimpleEscape(char letter) {
  for (const SimpleEscape* e = kSimpleEscapes; e->letter != 0; ++e) {
    if (e->letter == letter) return e;
  }
  return nullptr;
}

constexpr std::string_view kNoneName = "\x82\xC8\x82\xB5";  // "なし" in CP932

}  // namespace

bool HexToBytes(std::string_view text, Bytes& out) {
  out.clear();
  out.reserve(text.size() / 2);
  int high = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int digit = HexDigitValue(static_cast<unsigned char>(text[i]));
    if (digit < 0) return false;
    if (i % 2 == 0) {
      high = digit * 16;
    } else {
      out.push_back(static_cast<char>(high + digit));
    }
  }
  return true;
}

std::optional<std::string> HexSearchDigits(std::string_view text) {
  std::string digits;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c == ' ' || c == '\t') && digits.size() % 2 == 0) continue;
    if (HexDigitValue(c) < 0) return std::nullopt;
    digits += static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
  }
  if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
  return digits;
}

int DecodeEscapes(const char* src, std::size_t n, char* dest, std::size_t& count) {
  std::size_t i = 0;
  std::size_t k = 0;
  int result = 0;
  // The byte after a backslash; at the end of the text this is the string's closing 0x00.
  auto at = [&](std::size_t index) -> char { return index < n ? src[index] : '\0'; };
  while (i < n) {
    const char c = src[i];
    if (c != kBackslash) {
      dest[k++] = c;
      ++i;
      continue;
    }
    const char e = at(i + 1);
    if (const SimpleEscape* simple = (e != '\0') ? FindSimpleEscape(e) : nullptr) {
      dest[k++] = simple->byte;
      i += 2;
    } else if (e == 'x') {
      unsigned value = 0;
      std::size_t digits = 0;
      bool overflow = false;
      for (int d; (d = HexDigitValue(static_cast<unsigned char>(at(i + 2 + digits)))) >= 0;) {
        value = value * 16 + static_cast<unsigned>(d);
        ++digits;
        if (value > 255) {
          overflow = true;
          break;
        }
      }
      if (overflow || digits == 0) {
        result = static_cast<int>(i + 2);
        break;
      }
      dest[k++] = static_cast<char>(value);
      i += 2 + digits;
    } else if (e >= '0' && e <= '7') {
      unsigned value = 0;
      std::size_t digits = 0;
      bool overflow = false;
      for (char d; (d = at(i + 1 + digits)) >= '0' && d <= '7';) {
        value = value * 8 + static_cast<unsigned>(d - '0');
        ++digits;
        if (value > 255) {
          overflow = true;
          break;
        }
      }
      if (overflow) {
        result = static_cast<int>(i + 1);
        break;
      }
      dest[k++] = static_cast<char>(value);
      i += 1 + digits;
    } else {
      result = static_cast<int>(i + 1);
      break;
    }
  }
  dest[k] = '\0';
  count = k;
  return result;
}

int EscapeTextToBytes(std::string_view text, Bytes& out) {
  out.resize(text.size() + 1);
  std::size_t count = 0;
  const int result = DecodeEscapes(text.data(), text.size(), out.data(), count);
  out.resize(count);
  return result;
}

std::optional<Bytes> TerminatorFromText(std::string_view name) {
  if (name == "CR") return Bytes("\r");
  if (name == "LF") return Bytes("\n");
  if (name == "CR+LF") return Bytes("\r\n");
  if (name == kNoneName) return Bytes();
  // Names longer than a settings field holds are refused rather than cut.
  if (name.empty() || name[0] != kBackslash || name.size() > kTerminatorNameMax) {
    return std::nullopt;
  }
  char buffer[16];
  std::size_t count = 0;
  if (DecodeEscapes(name.data(), name.size(), buffer, count) != 0 || count > 2) {
    return std::nullopt;
  }
  // Read as a NUL-terminated string: a decoded 0x00 ends the terminator.
  return Bytes(buffer, std::find(buffer, buffer + count, '\0'));
}

void HexDisplayInto(std::string_view record, char* out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned char byte : record) {
    *out++ = kDigits[byte >> 4];
    *out++ = kDigits[byte & 0x0F];
  }
}

std::string HexDisplay(std::string_view record) {
  std::string text(record.size() * 2, '\0');
  HexDisplayInto(record, text.data());
  return text;
}

std::string_view WithoutTerminator(std::string_view record, std::string_view terminator) {
  if (!terminator.empty() && record.ends_with(terminator)) record.remove_suffix(terminator.size());
  return record;
}

std::string TextDisplay(std::string_view record, std::string_view terminator) {
  std::string text(WithoutTerminator(record, terminator));
  std::replace(text.begin(), text.end(), '\0', '.');
  return text;
}

// Feeding byte by byte stops at the first whole terminator too; a search gets there without
// a step per byte, which the receive path takes for every record.
std::size_t TerminatorMatcher::FindRecordEnd(std::string_view data) {
  Reset();
  if (terminator_.empty() || terminator_.size() > 2) {
    const std::size_t at = data.find(terminator_);
    return at == std::string_view::npos ? 0 : at + terminator_.size();
  }
  // Looking for the first byte and comparing the second in place: a general search costs a
  // comparison call per candidate, on every line received.
  const char* const begin = data.data();
  const char* const end = begin + data.size();
  for (const char* from = begin; from != end;) {
    const auto* found = static_cast<const char*>(
        std::memchr(from, terminator_[0], static_cast<std::size_t>(end - from)));
    if (found == nullptr) return 0;
    if (terminator_.size() == 1) return static_cast<std::size_t>(found - begin) + 1;
    if (found + 1 == end) return 0;
    if (found[1] == terminator_[1]) return static_cast<std::size_t>(found - begin) + 2;
    from = found + 1;
  }
  return 0;
}

}  // namespace vexa
