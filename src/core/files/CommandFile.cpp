// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/CommandFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/codec/Codec.h"
#include "core/codec/Numbers.h"
#include "core/items/Label.h"
#include "core/items/RevalidateTree.h"
#include "platform/AtomicFile.h"
#include "platform/OpenFile.h"
#include "platform/UniqueFd.h"

namespace vexa {
namespace {

// A command file larger than this is refused as unreadable rather than read into memory.

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// Fields split at commas; a run of commas is one split, so no field is empty.
std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ',') ++i;
    if (i == line.size()) break;
    const std::size_t end = std::min(line.find(',', i), line.size());
    fields.push_back(line.substr(i, end - i));
    i = end;
  }
  return fields;
}

bool ParseBit(std::string_view field, std::int32_t& out) {
  const std::int32_t value = ParseLeadingInteger(field);
  if (value != 0 && value != 1) return false;
  out = value;
  return true;
}

bool ParseTerminator(std::string_view field, std::string& name, std::string& bytes) {
  if (field.size() > kTerminatorNameMax) return false;
  const auto terminator = TerminatorFromText(field);
  if (!terminator) return false;
  name.assign(field);
  bytes = *terminator;
  return true;
}

// Field 10: a quoted single byte. A comma separator is written as "," and so arrives split
// into two fields that are each a lone double quote.
bool ParseSeparator(const std::vector<std::string_view>& fields, std::size_t& index,
                    std::string& separator) {
  const std::string_view field = fields[index];
  if (field == "\"" && index + 1 < fields.size() && fields[index + 1] == "\"") {
    separator = ",";
    index += 2;
    return true;
  }
  if (field.size() != 3 || field.front() != '"' || field.back() != '"') return false;
  separator.assign(1, field[1]);
  ++index;
  return true;
}

void SkipLineEnds(std::string_view& cursor) {
  while (!cursor.empty() && IsLineEnd(cursor.front())) cursor.remove_prefix(1);
}

// Packed numbers hold kind + 256 x milliseconds in 32 bits, written as a signed decimal.
std::int32_t Pack(std::int32_t kind, std::int32_t milliseconds) {
  const std::uint32_t packed =
      static_cast<std::uint32_t>(kind) + 256u * static_cast<std::uint32_t>(milliseconds);
  return static_cast<std::int32_t>(packed);
}

void AppendLine(std::string& out, long long level, std::int32_t packed, std::string_view text) {
  char head[48];
  const int n = std::snprintf(head, sizeof head, "%lld,%d,", level, packed);
  out.append(head, static_cast<std::size_t>(n));
  out.append(text);
  out.push_back('\n');
}

// Takes the first line, ended by CR or LF within kLineCapacity bytes, from the front of
// `input`; the line end is consumed, not returned. Nothing when no such line end is there.
std::optional<std::string_view> TakeFirstLine(std::string_view& input) {
  const std::string_view window = input.substr(0, kLineCapacity);
  const auto end = std::find_if(window.begin(), window.end(), IsLineEnd);
  if (end == window.end()) return std::nullopt;
  const auto length = static_cast<std::size_t>(end - window.begin());
  const std::string_view line = input.substr(0, length);
  input.remove_prefix(length + 1);
  return line;
}

}  // namespace

std::optional<CommSettings> ParseSettingsLine(std::string_view line) {
  const std::vector<std::string_view> f = SplitFields(line);
  CommSettings s = kDefaultCommSettings;
  std::size_t i = 0;
  auto next = [&]() -> std::optional<std::string_view> {
    return i < f.size() ? std::optional(f[i++]) : std::nullopt;
  };
  auto tag = next();
  if (!tag || tag->size() > kFormatTagMax) return std::nullopt;
  s.formatTag.assign(*tag);
  auto baud = next();
  if (!baud) return std::nullopt;
  s.baudRate = ParseLeadingInteger(*baud);
  auto stop = next();
  const auto stopBits = stop ? StopBitsFromText(*stop) : std::nullopt;
  if (!stopBits) return std::nullopt;
  s.stopBits = *stopBits;
  auto parityField = next();
  const auto parity = parityField ? ParityFromText(*parityField) : std::nullopt;
  if (!parity) return std::nullopt;
  s.parity = *parity;
  auto send = next();
  if (!send || !ParseTerminator(*send, s.sendTerminatorName, s.sendTerminator)) return std::nullopt;
  auto receive = next();
  if (!receive || !ParseTerminator(*receive, s.receiveTerminatorName, s.receiveTerminator)) {
    return std::nullopt;
  }
  auto hexDisplay = next();
  if (!hexDisplay || !ParseBit(*hexDisplay, s.hexDisplayDefault)) return std::nullopt;
  auto hexInput = next();
  if (!hexInput || !ParseBit(*hexInput, s.hexInputDefault)) return std::nullopt;
  auto length = next();
  if (!length) return std::nullopt;
  s.recordLength = ParseLeadingInteger(*length);
  if (s.recordLength < 1 || s.recordLength > 512) return std::nullopt;
  if (i >= f.size() || !ParseSeparator(f, i, s.separator)) return std::nullopt;
  auto port = next();
  if (!port || !IsValidPortName(*port)) return std::nullopt;
  s.portName.assign(*port);
  // The last three fields came later; older files end before them.
  if (auto escapes = next()) {
    s.useEscapes = escapes->front() != '0' ? 1 : 0;
    if (auto timeout = next()) {
      s.receiveTimeout = ParseLeadingInteger(*timeout);
      if (auto dataBits = next()) s.dataBits = ParseLeadingInteger(*dataBits);
    }
  }
  return s;
}

CommandFileContent ParseCommandFile(std::string_view content) {
  const std::optional<std::string_view> line = TakeFirstLine(content);
  if (!line) return {FileRead::kUnreadable, {}, {}};
  std::optional<CommSettings> settings = ParseSettingsLine(*line);
  if (!settings) return {FileRead::kInvalidSettings, {}, {}};
  return {FileRead::kOk, std::move(*settings),
          content.empty() ? std::nullopt : std::optional<std::string>(content)};
}

CommandFileContent ReadCommandFile(const std::string& path) {
  if (path.empty()) return {FileRead::kCannotOpen, {}, {}};
  const OpenedFile file = OpenOfType(path, O_RDONLY, AcceptedFiles::kRegular);
  const UniqueFd& fd = file.fd;
  struct stat info {};
  if (!fd || ::fstat(fd.get(), &info) != 0) return {FileRead::kCannotOpen, {}, {}};
  std::string content;
  bool readable = static_cast<std::size_t>(info.st_size) <= kMaxCommandFileSize;
  if (readable) content.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  while (readable) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {FileRead::kUnreadable, {}, {}};
    readable = content.size() + static_cast<std::size_t>(n) <= kMaxCommandFileSize;
    if (readable) content.append(buffer, static_cast<std::size_t>(n));
  }
  if (!readable) return {FileRead::kTooLarge, {}, {}};
  return ParseCommandFile(content);
}

bool IsOlderFormat(std::string_view formatTag) {
  std::array<char, 9> tag{};
  std::copy_n(formatTag.begin(), std::min(formatTag.size(), tag.size()), tag.begin());
  return std::memcmp(tag.data(), kCurrentFormatTag, tag.size()) < 0;
}

namespace {

// Parses one item or answer line at `cursor` into `record` and advances the cursor.
ParseResult ParseItemLine(std::string_view& cursor, const CommSettings& settings, int& level,
                          std::string& label, CAttr& record) {
  std::string_view c = cursor;
  if (!c.empty() && c.front() == '\n') c.remove_prefix(1);
  const std::size_t lineEnd = std::min(c.find_first_of("\r\n"), c.size());
  const std::string_view line = c.substr(0, lineEnd);
  const bool atEndOfText = lineEnd == c.size();

  const std::size_t levelComma = line.find(',');
  if (line.empty() || line.front() == ',' || levelComma == std::string_view::npos) {
    return ParseResult::kInvalid;
  }
  const std::int64_t parsedLevel = ParseLeadingInteger64(line.substr(0, levelComma));
  if (parsedLevel < 0 || parsedLevel > INT_MAX) return ParseResult::kInvalid;
  std::string_view text = line.substr(levelComma + 1);

  std::int32_t kind = settings.DefaultKind();
  std::int32_t milliseconds = 0;
  if (!IsOlderFormat(settings.formatTag)) {
    const std::size_t packedComma = text.find(',');
    if (text.empty() || text.front() == ',' || packedComma == std::string_view::npos) {
      return ParseResult::kInvalid;
    }
    const auto packed =
        static_cast<std::uint32_t>(ParseLeadingInteger64(text.substr(0, packedComma)));
    kind = static_cast<std::int32_t>(packed & 0xFF);
    milliseconds = static_cast<std::int32_t>(packed >> 8);
    text.remove_prefix(packedComma + 1);
  }
  if (text.empty() && atEndOfText) return ParseResult::kInvalid;

  // Past the text, its line end, and the LF of a CR LF.
  c.remove_prefix(std::min(lineEnd + 1, c.size()));
  if (!c.empty() && c.front() == '\n') c.remove_prefix(1);
  cursor = c;

  std::string description;
  std::string data;
  SplitLabel(text, settings.SeparatorChar(), description, data);
  if (data.empty()) kind = kKindNone;
  level = static_cast<int>(parsedLevel);
  label.assign(text);
  if (level == 0) {
    record.receiveDescription = std::move(description);
    record.receiveText = std::move(data);
    record.receiveKind = kind;
    record.answerDelay = milliseconds;
  } else {
    record.sendDescription = std::move(description);
    record.sendText = std::move(data);
    record.repeatPeriod = milliseconds;
    record.sendKind = kind;
    record.label.assign(text);
  }
  return ParseResult::kOk;
}

}  // namespace

LoadOutcome LoadItemsFromText(ItemTree& tree, const std::optional<std::string>& itemText,
                              const CommSettings& settings) {
  tree.ClearTree();
  LoadOutcome outcome;
  if (!itemText) return outcome;

  // The items from the top down to the one inserted last, with their levels (rising): a line
  // becomes the child of the latest item with a smaller level, however deep.
  std::vector<std::pair<int, ItemHandle>> ancestors;
  std::string_view cursor = *itemText;
  std::string label;
  for (;;) {
    SkipLineEnds(cursor);  // blank lines carry nothing
    if (cursor.empty()) break;
    auto record = std::make_unique<CAttr>();
    int level = 0;
    if (ParseItemLine(cursor, settings, level, label, *record) != ParseResult::kOk ||
        (level == 0 &&
         ParseItemLine(cursor, settings, level, label, *record) != ParseResult::kOk)) {
      outcome.result = ParseResult::kInvalid;
      break;
    }
    while (!ancestors.empty() && ancestors.back().first >= level) ancestors.pop_back();
    if (ancestors.size() >= kMaxItemDepth) {
      outcome.result = ParseResult::kInvalid;
      break;
    }
    const ItemHandle parent = ancestors.empty() ? nullptr : ancestors.back().second;
    ancestors.emplace_back(level, tree.AppendItem(parent, std::move(record)));
  }
  outcome.invalidData = RevalidateTree(tree, settings);
  return outcome;
}

CommandFileLoad LoadCommandFile(const std::string& path, ItemTree& tree, CommSettings& settings) {
  CommandFileContent content = ReadCommandFile(path);
  CommandFileLoad load{content.result, {}};
  if (content.result != FileRead::kOk) return load;
  settings = std::move(content.settings);
  load.items = LoadItemsFromText(tree, content.itemText, settings);
  return load;
}

const char* LoadFailureMessage(const CommandFileLoad& load) {
  switch (load.readResult) {
    case FileRead::kOk:
      return load.items.result == ParseResult::kOk ? nullptr : "ﾌｧｲﾙの内容が不正です。";
    case FileRead::kCannotOpen:
      return "ﾌｧｲﾙがｵｰﾌﾟﾝできません。";
    case FileRead::kTooLarge:
      return "ﾌｧｲﾙが大きすぎます。開けるのは 16 MB までです。";
    default:
      return "ﾌｧｲﾙの内容が不正です。";
  }
}

std::string WriteSettingsLine(const CommSettings& s) {
  const char* stopBits = StopBitsToText(s.stopBits);
  const char* parity = ParityToText(s.parity);
  std::string line = kCurrentFormatTag;
  char number[16];
  auto appendNumber = [&](long long value) {
    line.push_back(',');
    line.append(number,
                static_cast<std::size_t>(std::snprintf(number, sizeof number, "%lld", value)));
  };
  appendNumber(s.baudRate);
  for (std::string_view field :
       {std::string_view(stopBits ? stopBits : StopBitsToText(0)),
        std::string_view(parity ? parity : ParityToText(0)), std::string_view(s.sendTerminatorName),
        std::string_view(s.receiveTerminatorName)}) {
    line.push_back(',');
    line.append(field);
  }
  appendNumber(s.hexDisplayDefault);
  appendNumber(s.hexInputDefault);
  appendNumber(s.recordLength);
  line.append(",\"").append(s.separator).append("\",").append(s.portName);
  appendNumber(s.useEscapes);
  appendNumber(s.receiveTimeout);
  appendNumber(s.dataBits);
  line.push_back('\n');
  return line;
}

std::string WriteItemLines(const ItemTree& tree, const CommSettings& settings) {
  std::string out;
  ForEachItem(tree, nullptr, [&](ItemHandle item, int level) {
    const CAttr& r = *tree.Record(item);
    if (r.receiveLength() != 0) {
      std::string answer = r.receiveDescription;
      answer += settings.separator;
      answer += r.receiveText;
      AppendLine(out, 0, Pack(r.receiveKind, r.answerDelay), answer);
    }
    AppendLine(out, level, Pack(r.sendKind, r.repeatPeriod), r.label);
  });
  return out;
}

SaveResult SaveCommandFile(const std::string& path, const CommSettings& settings,
                           const ItemTree& tree, KeepOriginal keep) {
  return SaveFileContent(path, WriteSettingsLine(settings) + WriteItemLines(tree, settings), keep);
}

SaveResult SaveFileContent(const std::string& path, std::string_view content, KeepOriginal keep) {
  switch (ReplaceFileContent(path, content, keep)) {
    case ReplaceResult::kOk:
      return SaveResult::kOk;
    case ReplaceResult::kCannotCreate:
      return SaveResult::kCannotCreate;
    case ReplaceResult::kWriteFailed:
      break;
  }
  return SaveResult::kWriteFailed;
}

const char* SaveFailureMessage(SaveResult result) {
  switch (result) {
    case SaveResult::kCannotCreate:
      return "保存できません。";
    case SaveResult::kWriteFailed:
      return "書き込みに失敗しました。";
    case SaveResult::kOk:
      break;
  }
  return nullptr;
}

}  // namespace vexa
