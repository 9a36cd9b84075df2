// SPDX-License-Identifier: GPL-3.0-or-later
// Command files on arbitrary bytes: reading and loading never crash or hang; saving and
// loading again keeps every line's text; and after that one round the file is stable. (An
// item whose data could not be derived is saved as a heading and, loaded again, takes the
// default kind, so only the kind of such a line may change in the first round.)
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "core/files/CommandFile.h"
#include "core/items/ItemTree.h"

namespace {

// Loads `content` into `tree` and returns what saving it would write, or nullopt when the
// settings line is refused.
std::optional<std::string> LoadAndSave(std::string_view content, vexa::CommandTree& tree) {
  const vexa::CommandFileContent file = vexa::ParseCommandFile(content);
  if (file.result != vexa::FileRead::kOk) return std::nullopt;
  vexa::LoadItemsFromText(tree, file.itemText, file.settings);
  return vexa::WriteSettingsLine(file.settings) + vexa::WriteItemLines(tree, file.settings);
}

// Each line without its level and packed number.
std::vector<std::string_view> LineTexts(std::string_view file) {
  std::vector<std::string_view> texts;
  while (!file.empty()) {
    const std::size_t end = file.find('\n');
    std::string_view line = file.substr(0, end);
    const std::size_t first = line.find(',');
    const std::size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
    texts.push_back(texts.empty() || second == std::string_view::npos ? line
                                                                      : line.substr(second + 1));
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
  }
  return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  vexa::CommandTree first;
  const auto saved = LoadAndSave(input, first);
  if (!saved) return 0;
  vexa::CommandTree second;
  const auto again = LoadAndSave(*saved, second);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(LineTexts(*again) == LineTexts(*saved));
  vexa::CommandTree third;
  const auto stable = LoadAndSave(*again, third);
  FUZZ_CHECK(stable.has_value() && *stable == *again);
  return 0;
}
