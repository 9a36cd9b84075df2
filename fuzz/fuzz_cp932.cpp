// SPDX-License-Identifier: GPL-3.0-or-later
// CP932 helpers on arbitrary bytes: decoding gives valid UTF-8 that encodes back to the same
// bytes wherever the input was valid, and encoding arbitrary bytes never fails.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "core/codec/Cp932.h"

namespace {

bool IsValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = vexa::Cp932ToUtf8(input);
  FUZZ_CHECK(IsValidUtf8(utf8));
  if (utf8.find("\xEF\xBF\xBD") == std::string::npos) {
    // Several CP932 codes share one character (NEC and IBM duplicates), so compare by
    // decoding again rather than byte for byte.
    FUZZ_CHECK(vexa::Cp932ToUtf8(vexa::Utf8ToCp932(utf8)) == utf8);
  }
  const std::string encoded = vexa::Utf8ToCp932(input);
  FUZZ_CHECK(encoded.size() <= size);
  const std::size_t at = vexa::FindCp932Char(input, ';');
  FUZZ_CHECK(at == std::string::npos || input[at] == ';');
  return 0;
}
