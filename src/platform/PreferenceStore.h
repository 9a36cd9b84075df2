// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-user preference file: the stand-in for the registry below HKEY_CURRENT_USER.
// Reads never lock (a write replaces the file in one rename). A write locks the file, reads it
// again, changes only the values it was given, and renames a complete new copy over it, so
// several running copies never corrupt it and the last writer of a value wins. A file that
// cannot be read is never replaced: reads report absent values and writes fail.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/RegDocument.h"

namespace vexa {

struct NamedValue {
  std::string_view name;
  PreferenceValue value;
};

class PreferenceStore {
 public:
  // Larger files are not taken for preference files (nothing of ours comes near it).
  static constexpr std::size_t kMaxFileSize = 1 << 20;

  explicit PreferenceStore(std::string path) : path_(std::move(path)) {}

  // $XDG_CONFIG_HOME/marlen/Vexa.reg; ~/.config when XDG_CONFIG_HOME is unset or relative.
  static std::string DefaultPath();

  const std::string& Path() const { return path_; }

  std::optional<PreferenceValue> Read(std::string_view key, std::string_view name) const;
  std::optional<std::string> ReadText(std::string_view key, std::string_view name) const;
  std::optional<std::uint32_t> ReadDword(std::string_view key, std::string_view name) const;
  std::optional<std::string> ReadBinary(std::string_view key, std::string_view name) const;

  // Creates the folder, the file and the key when missing. False when nothing was written.
  bool Write(std::string_view key, std::span<const NamedValue> values);
  bool Write(std::string_view key, std::string_view name, const PreferenceValue& value);

 private:
  std::string path_;
};

}  // namespace vexa
