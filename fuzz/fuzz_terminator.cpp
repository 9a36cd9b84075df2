// SPDX-License-Identifier: GPL-3.0-or-later
// Terminator names on arbitrary bytes: a valid name gives 0 to 2 bytes without 0x00, and the
// record matcher agrees with a plain search for the terminator's first occurrence.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "core/codec/Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const auto name_end = input.find('\0');
  const std::string name = input.substr(0, name_end);
  const auto terminator = vexa::TerminatorFromText(name);
  if (!terminator) return 0;
  FUZZ_CHECK(terminator->size() <= 2);
  FUZZ_CHECK(terminator->find('\0') == std::string::npos);
  if (terminator->empty() || name_end == std::string::npos) return 0;

  const std::string stream = input.substr(name_end + 1);
  vexa::TerminatorMatcher matcher(*terminator);
  const std::size_t end = matcher.FindRecordEnd(stream);
  const std::size_t found = stream.find(*terminator);
  FUZZ_CHECK(end == (found == std::string::npos ? 0 : found + terminator->size()));
  return 0;
}
