// SPDX-License-Identifier: GPL-3.0-or-later
// Escape decoding on arbitrary bytes: never writes past n + 1 bytes, a decoded count never
// exceeds the input, an error position is never 0 and never past the end.
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "core/codec/Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so reading past the input is caught by the sanitizer.
  auto source = std::make_unique<char[]>(size);
  std::copy(data, data + size, source.get());
  auto dest = std::make_unique<char[]>(size + 1);
  std::size_t count = 0;
  const int result = vexa::DecodeEscapes(source.get(), size, dest.get(), count);
  FUZZ_CHECK(count <= size);
  FUZZ_CHECK(dest[count] == '\0');
  FUZZ_CHECK(result >= 0);
  if (result != 0) {
    FUZZ_CHECK(static_cast<std::size_t>(result) <= size);
    FUZZ_CHECK(source[result - 1] == '\\' ||
               (result >= 2 && source[result - 2] == '\\' && source[result - 1] == 'x'));
  }
  vexa::Bytes out;
  FUZZ_CHECK(vexa::EscapeTextToBytes(std::string_view(source.get(), size), out) == result);
  FUZZ_CHECK(out == std::string(dest.get(), count));
  return 0;
}
