// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of a registry export ("Windows Registry Editor Version 5.00"), read and changed one
// value at a time. Lines the reader does not understand are kept verbatim, so a hand-edited or
// damaged file loses nothing when a value is written into it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

struct PreferenceValue {
  enum class Type { kText, kDword, kBinary };

  static PreferenceValue Text(std::string_view text) { return {Type::kText, std::string(text), 0}; }
  static PreferenceValue Dword(std::uint32_t value) { return {Type::kDword, {}, value}; }
  static PreferenceValue Binary(std::string_view bytes) {
    return {Type::kBinary, std::string(bytes), 0};
  }

  Type type = Type::kText;
  std::string bytes;  // the text without its closing NUL, or the binary data
  std::uint32_t dword = 0;

  bool operator==(const PreferenceValue&) const = default;
};

class RegDocument {
 public:
  static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

  // Never fails: what cannot be read stays as opaque lines.
  static RegDocument Parse(std::string_view text);

  // `key` is below HKEY_CURRENT_USER ("software\marlen\Vexa\window"); key and value names
  // compare without case. The last of several equal values wins, as on an import.
  std::optional<PreferenceValue> Find(std::string_view key, std::string_view name) const;

  // Replaces the value, or adds it to its key, or adds the key at the end. A text ends at its
  // first NUL, as a stored text does.
  void Set(std::string_view key, std::string_view name, const PreferenceValue& value);

  std::string Text() const;

 private:
  struct Line {
    std::string raw;  // as read, line break(s) included; rewritten only when the value changes
    bool isSection = false;
    std::optional<std::string> sectionKey;  // below HKEY_CURRENT_USER; none for other hives
    std::optional<std::string> valueName;   // a value line
    std::optional<PreferenceValue> value;   // its data, when readable
  };

  static Line ParseLine(std::string raw);
  std::optional<std::size_t> LastValueLine(std::string_view key, std::string_view name) const;
  std::optional<std::size_t> EndOfLastSection(std::string_view key) const;

  std::vector<Line> lines_;
};

}  // namespace vexa
