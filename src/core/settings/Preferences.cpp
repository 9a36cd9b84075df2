// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/Preferences.h"

#include <algorithm>

#include "core/codec/Cp932.h"

namespace vexa {
namespace {

constexpr std::string_view kMainKey = "software\\marlen\\Vexa";
constexpr std::string_view kHistoryKey = "software\\marlen\\Vexa\\history";
constexpr std::string_view kWindowKey = "software\\marlen\\Vexa\\window";
constexpr std::string_view kFontKey = "software\\marlen\\Vexa\\font";
constexpr std::string_view kFlagKey = "software\\marlen\\Vexa\\flag";
constexpr std::string_view kListKey = "software\\marlen\\Vexa\\list";
constexpr std::string_view kPortsKey = "software\\marlen\\Vexa\\ports";

void PutInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

std::int32_t GetInt32(std::string_view bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(bytes[at + i]);
  return static_cast<std::int32_t>(bits);
}

// The longest prefix of at most `max` bytes that does not end inside a double-byte character.
std::string_view Cp932Prefix(std::string_view text, std::size_t max) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + width > max) break;
    end += width;
  }
  return text.substr(0, std::min(end, text.size()));
}

std::string IndexedName(std::string_view stem, int index) {
  return std::string(stem) + std::to_string(index);
}

}  // namespace

std::string WindowPlacement::Pack() const {
  std::string out;
  for (std::int32_t field : {length, flags, showCmd, minX, minY, maxX, maxY, normalLeft, normalTop,
                             normalRight, normalBottom}) {
    PutInt32(out, field);
  }
  return out;
}

std::optional<WindowPlacement> WindowPlacement::Unpack(std::string_view bytes) {
  if (bytes.size() != kSize) return std::nullopt;
  WindowPlacement p;
  std::int32_t* fields[] = {&p.length,    &p.flags,       &p.showCmd,     &p.minX,
                            &p.minY,      &p.maxX,        &p.maxY,        &p.normalLeft,
                            &p.normalTop, &p.normalRight, &p.normalBottom};
  for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = GetInt32(bytes, 4 * i);
  return p;
}

WindowPlacement WindowPlacement::ForStorage() const {
  WindowPlacement stored = *this;
  if (stored.showCmd == kShowMinimized) stored.showCmd = kShowNormal;
  return stored;
}

std::string LogFont::Pack() const {
  std::string out;
  for (std::int32_t field : {height, width, escapement, orientation, weight}) PutInt32(out, field);
  for (std::uint8_t field : {italic, underline, strikeOut, charSet, outPrecision, clipPrecision,
                             quality, pitchAndFamily}) {
    out.push_back(static_cast<char>(field));
  }
  std::string face(Cp932Prefix(faceName.substr(0, faceName.find('\0')), kFaceBytes - 1));
  face.resize(kFaceBytes, '\0');
  return out + face;
}

std::optional<LogFont> LogFont::Unpack(std::string_view bytes) {
  if (bytes.size() != kSize) return std::nullopt;
  LogFont f;
  std::int32_t* ints[] = {&f.height, &f.width, &f.escapement, &f.orientation, &f.weight};
  for (std::size_t i = 0; i < std::size(ints); ++i) *ints[i] = GetInt32(bytes, 4 * i);
  std::uint8_t* smalls[] = {&f.italic,       &f.underline,     &f.strikeOut, &f.charSet,
                            &f.outPrecision, &f.clipPrecision, &f.quality,   &f.pitchAndFamily};
  for (std::size_t i = 0; i < std::size(smalls); ++i) {
    *smalls[i] = static_cast<std::uint8_t>(bytes[20 + i]);
  }
  const std::string_view face = bytes.substr(28, kFaceBytes);
  f.faceName = std::string(face.substr(0, face.find('\0')));
  return f;
}

Preferences Preferences::ForCurrentUser() {
  return Preferences(PreferenceStore(PreferenceStore::DefaultPath()));
}

std::optional<std::string> Preferences::ReadPathText(std::string_view key,
                                                     std::string_view name) const {
  auto text = store_.ReadText(key, name);
  if (!text || text->size() > kMaxPreferenceText) return std::nullopt;
  return text;
}

std::optional<WindowPlacement> Preferences::ReadPlacement(std::string_view key) const {
  const auto bytes = store_.ReadBinary(key, "wndpl");
  if (!bytes) return std::nullopt;
  return WindowPlacement::Unpack(*bytes);
}

bool Preferences::WriteHistoryEntry(int index, std::string_view path) {
  return store_.Write(kHistoryKey, IndexedName("hist", index), PreferenceValue::Text(path));
}

std::optional<std::string> Preferences::ReadHistoryEntry(int index) const {
  return ReadPathText(kHistoryKey, IndexedName("hist", index));
}

bool Preferences::WriteHistory(const std::vector<std::string>& paths) {
  std::array<std::string, kHistoryEntries> names;
  std::vector<NamedValue> values;
  for (int i = 0; i < kHistoryEntries; ++i) {
    names[i] = IndexedName("hist", i);
    const std::string_view path = static_cast<std::size_t>(i) < paths.size()
                                      ? std::string_view(paths[i])
                                      : std::string_view();
    values.push_back({names[i], PreferenceValue::Text(path)});
  }
  return store_.Write(kHistoryKey, values);
}

std::vector<std::string> Preferences::ReadHistory() const {
  std::vector<std::string> paths;
  for (int i = 0; i < kHistoryEntries; ++i) {
    auto path = ReadHistoryEntry(i);
    if (!path) break;
    paths.push_back(std::move(*path));
  }
  return paths;
}

bool Preferences::WriteLogName(std::string_view name) {
  return store_.Write(kHistoryKey, "log", PreferenceValue::Text(name));
}

std::optional<std::string> Preferences::ReadLogName() const {
  return ReadPathText(kHistoryKey, "log");
}

bool Preferences::WriteWindow(const WindowPreference& window) {
  const NamedValue values[] = {
      {"tree1width", PreferenceValue::Dword(static_cast<std::uint32_t>(window.treeWidth))},
      {"wndpl", PreferenceValue::Binary(window.placement.ForStorage().Pack())}};
  return store_.Write(kWindowKey, values);
}

std::optional<WindowPreference> Preferences::ReadWindow() const {
  const auto width = store_.ReadDword(kWindowKey, "tree1width");
  if (!width) return std::nullopt;
  const auto placement = ReadPlacement(kWindowKey);
  if (!placement) return std::nullopt;
  return WindowPreference{static_cast<std::int32_t>(*width), *placement};
}

bool Preferences::WriteFont(const LogFont& font) {
  return store_.Write(kFontKey, "font", PreferenceValue::Binary(font.Pack()));
}

std::optional<LogFont> Preferences::ReadFont() const {
  const auto bytes = store_.ReadBinary(kFontKey, "font");
  if (!bytes) return std::nullopt;
  return LogFont::Unpack(*bytes);
}

bool Preferences::WriteFlag(std::uint32_t flag) {
  return store_.Write(kFlagKey, "flag", PreferenceValue::Dword(flag));
}

std::optional<std::uint32_t> Preferences::ReadFlag() const {
  return store_.ReadDword(kFlagKey, "flag");
}

bool Preferences::WriteSwitch(const char* name, bool on) {
  return store_.Write(kMainKey, name, PreferenceValue::Dword(on ? 1 : 0));
}

std::optional<bool> Preferences::ReadSwitch(const char* name) const {
  const auto value = store_.ReadDword(kMainKey, name);
  if (!value) return std::nullopt;
  return *value != 0;
}

bool Preferences::WriteShowTimes(bool on) {
  return WriteSwitch("showtime", on);
}

std::optional<bool> Preferences::ReadShowTimes() const {
  return ReadSwitch("showtime");
}

bool Preferences::WriteShowSent(bool on) {
  return WriteSwitch("showsent", on);
}

std::optional<bool> Preferences::ReadShowSent() const {
  return ReadSwitch("showsent");
}

bool Preferences::WriteReconnect(bool on) {
  return WriteSwitch("reconnect", on);
}

std::optional<bool> Preferences::ReadReconnect() const {
  return ReadSwitch("reconnect");
}

bool Preferences::WriteListLayout(const ListLayout& layout) {
  std::array<std::string, 4> names;
  std::vector<NamedValue> values;
  for (int i = 0; i < 4; ++i) {
    names[i] = IndexedName("width", i);
    values.push_back(
        {names[i], PreferenceValue::Dword(static_cast<std::uint32_t>(layout.columnWidths[i]))});
  }
  values.push_back({"wndpl", PreferenceValue::Binary(layout.placement.ForStorage().Pack())});
  return store_.Write(kListKey, values);
}

std::optional<ListLayout> Preferences::ReadListLayout() const {
  ListLayout layout;
  for (int i = 0; i < 4; ++i) {
    const auto width = store_.ReadDword(kListKey, IndexedName("width", i));
    if (!width) return std::nullopt;
    layout.columnWidths[i] = static_cast<std::int32_t>(*width);
  }
  const auto placement = ReadPlacement(kListKey);
  if (!placement) return std::nullopt;
  layout.placement = *placement;
  return layout;
}

std::optional<std::string> Preferences::ReadPortMapping(int n) const {
  return ReadPathText(kPortsKey, IndexedName("COM", n));
}

PortLookup Preferences::PortMappingLookup() const {
  // A copy of the store: the lookup may outlive this object, and reads the file afresh.
  return [prefs = *this](std::string_view comName) -> std::optional<std::string> {
    if (comName.size() != 4 || comName[3] < '0' || comName[3] > '9') return std::nullopt;
    return prefs.ReadPortMapping(comName[3] - '0');
  };
}

}  // namespace vexa
