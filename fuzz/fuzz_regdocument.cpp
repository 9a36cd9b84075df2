// SPDX-License-Identifier: GPL-3.0-or-later
// The preference file reader on arbitrary text: it keeps every byte it does not understand,
// and a value written into any text reads back while the rest of the text stays in place.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "platform/RegDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vexa::RegDocument document = vexa::RegDocument::Parse(text);
  FUZZ_CHECK(document.Text() == text);

  const std::string_view key = "software\\marlen\\Vexa\\history";
  const std::string written = text.substr(0, 64);
  document.Set(key, "hist0", vexa::PreferenceValue::Text(written));
  const vexa::RegDocument again = vexa::RegDocument::Parse(document.Text());
  FUZZ_CHECK(again.Find(key, "HIST0") ==
             vexa::PreferenceValue::Text(written.substr(0, written.find('\0'))));
  FUZZ_CHECK(again.Text() == document.Text());
  return 0;
}
