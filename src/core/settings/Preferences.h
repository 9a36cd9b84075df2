// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What Vexa keeps from one run to the next: one read and one write operation per preference.
// A read gives nothing when the value is absent (or unusable); the caller keeps its default.
// A write reports whether it was stored; no caller acts on a failure.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/PortNames.h"
#include "platform/PreferenceStore.h"

namespace vexa {

inline constexpr int kHistoryEntries = 5;
// Longest path or file name a text preference holds (the file system's limit, NUL excluded).
inline constexpr std::size_t kMaxPreferenceText = 4095;

inline constexpr std::int32_t kShowNormal = 1;
inline constexpr std::int32_t kShowMinimized = 2;
inline constexpr std::int32_t kShowMaximized = 3;

// The 44-byte window placement record: eleven little-endian signed 32-bit fields.
struct WindowPlacement {
  static constexpr std::size_t kSize = 44;

  std::int32_t length = kSize;
  std::int32_t flags = 0;
  std::int32_t showCmd = kShowNormal;
  std::int32_t minX = -1, minY = -1;
  std::int32_t maxX = -1, maxY = -1;
  std::int32_t normalLeft = 0, normalTop = 0, normalRight = 0, normalBottom = 0;

  std::string Pack() const;
  static std::optional<WindowPlacement> Unpack(std::string_view bytes);
  // A window closed while minimised opens restored next time.
  WindowPlacement ForStorage() const;

  bool operator==(const WindowPlacement&) const = default;
};

// The 60-byte font record (LOGFONT, ANSI form); the face name is CP932.
struct LogFont {
  static constexpr std::size_t kSize = 60;
  static constexpr std::size_t kFaceBytes = 32;  // NUL included

  std::int32_t height = 0;  // negative: character height in pixels
  std::int32_t width = 0;
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 0;
  std::uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
  std::uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
  std::string faceName;  // at most 31 bytes, cut on a character boundary when packed

  std::string Pack() const;
  static std::optional<LogFont> Unpack(std::string_view bytes);

  bool operator==(const LogFont&) const = default;
};

struct WindowPreference {
  std::int32_t treeWidth = 0;  // pixels
  WindowPlacement placement;
};

struct ListLayout {
  std::array<std::int32_t, 4> columnWidths{};
  WindowPlacement placement;
};

// The bits of "flag"; the other 30 are written 0 and ignored when read.
struct ViewFlags {
  bool menuMode = false;         // bit 0
  bool commandListOpen = false;  // bit 1

  std::uint32_t Bits() const { return (menuMode ? 1u : 0u) | (commandListOpen ? 2u : 0u); }
  static ViewFlags FromBits(std::uint32_t bits) { return {(bits & 1u) != 0, (bits & 2u) != 0}; }
};

class Preferences {
 public:
  explicit Preferences(PreferenceStore store) : store_(std::move(store)) {}
  // The store of the user running the program (see PreferenceStore::DefaultPath).
  static Preferences ForCurrentUser();

  // Recent files: "hist0" is the newest.
  bool WriteHistoryEntry(int index, std::string_view path);
  std::optional<std::string> ReadHistoryEntry(int index) const;
  // All five entries, those after `paths` as empty texts.
  bool WriteHistory(const std::vector<std::string>& paths);
  // Entries from "hist0" on, up to the first absent one.
  std::vector<std::string> ReadHistory() const;

  bool WriteLogName(std::string_view name);
  std::optional<std::string> ReadLogName() const;

  // The placement is stored with a minimised show state made normal.
  bool WriteWindow(const WindowPreference& window);
  // Absent unless both "tree1width" and "wndpl" are there.
  std::optional<WindowPreference> ReadWindow() const;

  bool WriteFont(const LogFont& font);
  std::optional<LogFont> ReadFont() const;

  bool WriteFlag(std::uint32_t flag);
  std::optional<std::uint32_t> ReadFlag() const;

  // The answer list's display switches, each a value of its own under the main key: arrival
  // times ("showtime") and sent lines ("showsent").
  bool WriteShowTimes(bool on);
  std::optional<bool> ReadShowTimes() const;
  bool WriteShowSent(bool on);
  std::optional<bool> ReadShowSent() const;

  // 自動再接続 ("reconnect" under the main key).
  bool WriteReconnect(bool on);
  std::optional<bool> ReadReconnect() const;

  // The command list window: its four column widths and its placement.
  bool WriteListLayout(const ListLayout& layout);
  // Absent unless all five values are there.
  std::optional<ListLayout> ReadListLayout() const;

  // The device that stands for "COMn" (the value "COMn" of the ports key), if the user set one.
  std::optional<std::string> ReadPortMapping(int n) const;
  // ReadPortMapping in the form the link resolves port names with ("COMn" -> device).
  PortLookup PortMappingLookup() const;

  const PreferenceStore& Store() const { return store_; }

 private:
  // An on/off value of its own under the main key.
  bool WriteSwitch(const char* name, bool on);
  std::optional<bool> ReadSwitch(const char* name) const;

  std::optional<std::string> ReadPathText(std::string_view key, std::string_view name) const;
  std::optional<WindowPlacement> ReadPlacement(std::string_view key) const;

  PreferenceStore store_;
};

}  // namespace vexa
