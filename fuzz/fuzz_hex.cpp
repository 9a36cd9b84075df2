// SPDX-License-Identifier: GPL-3.0-or-later
// HEX conversion: arbitrary text never over-reads and yields at most half its length; the
// HEX display of arbitrary bytes converts back to the same bytes.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "core/codec/Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  vexa::Bytes bytes;
  const bool ok = vexa::HexToBytes(input, bytes);
  FUZZ_CHECK(bytes.size() <= size / 2);
  if (ok) FUZZ_CHECK(bytes.size() == size / 2);

  const std::string shown = vexa::HexDisplay(input);
  FUZZ_CHECK(shown.size() == size * 2);
  vexa::Bytes back;
  FUZZ_CHECK(vexa::HexToBytes(shown, back));
  FUZZ_CHECK(back == input);
  return 0;
}
