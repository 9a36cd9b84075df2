// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegDocument.h"

#include <algorithm>
#include <cstdio>

namespace vexa {
namespace {

constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldCase(x) == FoldCase(y);
         });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view digits, std::size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  return value;
}

// "4f,4b, 0d" -> bytes; an empty list is valid.
std::optional<std::string> ParseByteList(std::string_view list) {
  std::string bytes;
  list = Trim(list);
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const auto byte = ParseHexNumber(Trim(list.substr(0, comma)), 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<char>(*byte));
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
    if (Trim(list).empty()) return std::nullopt;  // a trailing comma
  }
  return bytes;
}

// Reads a quoted string at the start of `text` ("\\" and "\"" are escapes); advances past it.
std::optional<std::string> ParseQuoted(std::string_view& text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return out;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) ++i;
    out.push_back(text[i]);
  }
  return std::nullopt;
}

std::optional<PreferenceValue> ParseTypedHex(std::string_view type, std::string_view list) {
  const auto bytes = ParseByteList(list);
  if (!bytes) return std::nullopt;
  if (type == "3" || type.empty()) return PreferenceValue::Binary(*bytes);
  if (type == "1") return PreferenceValue::Text(bytes->substr(0, bytes->find('\0')));
  if (type == "4" && bytes->size() == 4) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>((*bytes)[i]);
    return PreferenceValue::Dword(value);
  }
  return std::nullopt;
}

std::optional<PreferenceValue> ParseData(std::string_view data) {
  data = Trim(data);
  if (!data.empty() && data.front() == '"') {
    auto text = ParseQuoted(data);
    if (!text || !Trim(data).empty()) return std::nullopt;
    return PreferenceValue::Text(*text);
  }
  if (StartsWithNoCase(data, "dword:")) {
    const auto value = ParseHexNumber(data.substr(6), 8);
    if (!value) return std::nullopt;
    return PreferenceValue::Dword(*value);
  }
  if (StartsWithNoCase(data, "hex:")) return ParseTypedHex("", data.substr(4));
  if (StartsWithNoCase(data, "hex(")) {
    const std::size_t close = data.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    return ParseTypedHex(data.substr(4, close - 4), data.substr(close + 2));
  }
  return std::nullopt;  // "-" (deleted) or a type this program does not use
}

bool NeedsHexText(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string ByteList(std::string_view bytes) {
  std::string out;
  char pair[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i > 0) out.push_back(',');
    out += pair;
  }
  return out;
}

std::string RenderData(const PreferenceValue& value) {
  switch (value.type) {
    case PreferenceValue::Type::kText: {
      const std::string_view text = std::string_view(value.bytes).substr(0, value.bytes.find('\0'));
      // A line break inside a quoted text would end the line early and could forge values.
      if (NeedsHexText(text)) return "hex(1):" + ByteList(std::string(text) + std::string(1, '\0'));
      return Quote(text);
    }
    case PreferenceValue::Type::kDword: {
      char text[16];
      std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(value.dword));
      return text;
    }
    case PreferenceValue::Type::kBinary:
      return "hex:" + ByteList(value.bytes);
  }
  return {};
}

bool EndsWithBreak(std::string_view raw) {
  return !raw.empty() && raw.back() == '\n';
}

// True when the last physical line of `raw` asks for a continuation line.
bool EndsWithContinuation(std::string_view raw) {
  raw = Trim(raw);
  const std::size_t lastBreak = raw.rfind('\n');
  const std::string_view last =
      lastBreak == std::string_view::npos ? raw : raw.substr(lastBreak + 1);
  return !last.empty() && last.back() == '\\';
}

std::string_view BreakOf(std::string_view raw) {
  return raw.size() >= 2 && raw.substr(raw.size() - 2) == "\r\n" ? "\r\n" : "\n";
}

// A value line whose hex data ends in a backslash goes on in the next line.
bool IsHexValueLine(std::string_view line) {
  line = Trim(line);
  const std::size_t equals = line.find('=');
  return !line.empty() && (line.front() == '"' || line.front() == '@') &&
         equals != std::string_view::npos && StartsWithNoCase(Trim(line.substr(equals + 1)), "hex");
}

}  // namespace

RegDocument::Line RegDocument::ParseLine(std::string raw) {
  Line line;
  // Joins continued hex lines into one logical content.
  std::string content;
  std::string_view rest = raw;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view part = Trim(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const bool continued = !rest.empty();
    if (continued && !part.empty() && part.back() == '\\') part.remove_suffix(1);
    content += part;
  }
  if (content.starts_with("\xEF\xBB\xBF")) content.erase(0, 3);
  line.raw = std::move(raw);

  std::string_view text = Trim(content);
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
    line.isSection = true;
    const std::string_view path = text.substr(1, text.size() - 2);
    if (EqualsNoCase(path, kCurrentUser)) {
      line.sectionKey = "";
    } else if (StartsWithNoCase(path, kCurrentUser) && path[kCurrentUser.size()] == '\\') {
      line.sectionKey = std::string(path.substr(kCurrentUser.size() + 1));
    }
    return line;
  }
  std::string name;
  if (!text.empty() && text.front() == '@') {
    text.remove_prefix(1);
  } else if (auto quoted = ParseQuoted(text)) {
    name = std::move(*quoted);
  } else {
    return line;
  }
  text = Trim(text);
  if (text.empty() || text.front() != '=') return line;
  line.valueName = std::move(name);
  line.value = ParseData(text.substr(1));
  return line;
}

RegDocument RegDocument::Parse(std::string_view text) {
  RegDocument document;
  while (!text.empty()) {
    std::size_t end = 0;
    bool continues = true;
    while (continues && end < text.size()) {
      const std::size_t lineEnd = text.find('\n', end);
      const std::string_view physical = Trim(text.substr(end, lineEnd - end));
      continues = lineEnd != std::string_view::npos && !physical.empty() &&
                  physical.back() == '\\' && IsHexValueLine(text.substr(0, lineEnd));
      end = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
    }
    document.lines_.push_back(ParseLine(std::string(text.substr(0, end))));
    text.remove_prefix(end);
  }
  return document;
}

std::optional<std::size_t> RegDocument::LastValueLine(std::string_view key,
                                                      std::string_view name) const {
  std::optional<std::size_t> found;
  bool inKey = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.isSection) {
      inKey = line.sectionKey && EqualsNoCase(*line.sectionKey, key);
    } else if (inKey && line.valueName && EqualsNoCase(*line.valueName, name)) {
      found = i;
    }
  }
  return found;
}

std::optional<std::size_t> RegDocument::EndOfLastSection(std::string_view key) const {
  std::optional<std::size_t> end;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (!line.isSection || !line.sectionKey || !EqualsNoCase(*line.sectionKey, key)) continue;
    std::size_t last = i;
    for (std::size_t j = i + 1; j < lines_.size() && !lines_[j].isSection; ++j) {
      if (!Trim(lines_[j].raw).empty()) last = j;
    }
    end = last + 1;
  }
  return end;
}

std::optional<PreferenceValue> RegDocument::Find(std::string_view key,
                                                 std::string_view name) const {
  const auto index = LastValueLine(key, name);
  if (!index) return std::nullopt;
  return lines_[*index].value;
}

void RegDocument::Set(std::string_view key, std::string_view name, const PreferenceValue& value) {
  const std::string valueText = Quote(name) + "=" + RenderData(value);
  if (const auto index = LastValueLine(key, name)) {
    Line& line = lines_[*index];
    line = ParseLine(valueText + std::string(BreakOf(line.raw)));
    return;
  }
  if (const auto end = EndOfLastSection(key)) {
    std::string& previous = lines_[*end - 1].raw;
    const std::string lineBreak(BreakOf(previous));
    if (!EndsWithBreak(previous)) previous += lineBreak;
    auto at = lines_.begin() + static_cast<std::ptrdiff_t>(*end);
    // A blank line ends a dangling continuation, which would otherwise swallow the new value.
    if (EndsWithContinuation(previous)) at = lines_.insert(at, ParseLine(lineBreak)) + 1;
    lines_.insert(at, ParseLine(valueText + lineBreak));
    return;
  }
  if (lines_.empty()) {
    lines_.push_back(ParseLine(std::string(kHeader) + "\n"));
  } else if (!EndsWithBreak(lines_.back().raw)) {
    lines_.back().raw += "\n";
  }
  if (!Trim(lines_.back().raw).empty()) lines_.push_back(ParseLine("\n"));
  lines_.push_back(ParseLine("[" + std::string(kCurrentUser) + "\\" + std::string(key) + "]\n"));
  lines_.push_back(ParseLine(valueText + "\n"));
}

std::string RegDocument::Text() const {
  std::string text;
  for (const Line& line : lines_) text += line.raw;
  return text;
}

}  // namespace vexa
