// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/Cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace vexa {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One converter per thread and direction: iconv_open is costly and a descriptor is not
// safe to share between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; on a byte sequence it cannot take, calls skip(in, out) which appends a
  // replacement and returns how many input bytes to skip.
  template <typename Skip>
  std::string Run(std::string_view in, Skip skip) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      return std::string(in);  // no converter on this system: pass bytes through
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 3 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    std::size_t used = 0;
    while (src_left > 0) {
      char* dst = out.data() + used;
      std::size_t dst_left = out.size() - used;
      const std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      used = out.size() - dst_left;
      if (rc != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL (a cut sequence at the end): replace and go on after it.
      out.resize(used);
      const std::size_t skipped = std::min(skip(std::string_view(src, src_left), out), src_left);
      src += skipped;
      src_left -= skipped;
      used = out.size();
      out.resize(used + src_left * 3 + 16);
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

std::size_t Utf8SequenceLength(std::string_view rest) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  std::size_t length = 1;
  if (lead >= 0xF0) {
    length = 4;
  } else if (lead >= 0xE0) {
    length = 3;
  } else if (lead >= 0xC0) {
    length = 2;
  }
  // Stop at the first byte that is not a continuation byte, so a broken sequence never
  // swallows the following character.
  std::size_t n = 1;
  while (n < length && n < rest.size() && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80) {
    ++n;
  }
  return n;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  thread_local Converter converter("UTF-8", "CP932");
  return converter.Run(cp932, [](std::string_view, std::string& out) {
    out.append(kReplacement);
    return std::size_t{1};
  });
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  thread_local Converter converter("CP932", "UTF-8");
  return converter.Run(utf8, [](std::string_view rest, std::string& out) {
    out.push_back('?');
    return Utf8SequenceLength(rest);
  });
}

std::size_t FindCp932Char(std::string_view text, char needle) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == needle) return i;
    if (IsCp932LeadByte(static_cast<unsigned char>(text[i]))) ++i;  // skip its trail byte
  }
  return std::string_view::npos;
}

std::string WithControlPictures(std::string_view utf8) {
  std::string shown;
  shown.reserve(utf8.size());
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      const unsigned picture = byte == 0x7F ? 0x2421 : 0x2400 + byte;
      shown += static_cast<char>(0xE0 | (picture >> 12));
      shown += static_cast<char>(0x80 | ((picture >> 6) & 0x3F));
      shown += static_cast<char>(0x80 | (picture & 0x3F));
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace vexa
