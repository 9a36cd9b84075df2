// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Command files (".vxp"): a settings line, then one line per tree item (and one before an
// item for its automatic answer). CP932 text; the writer ends lines with LF, the reader
// takes LF, CR LF and CR.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/items/ItemTree.h"
#include "core/settings/CommSettings.h"
#include "platform/AtomicFile.h"

namespace vexa {

enum class FileRead : int {
  kOk = 0,
  kCannotOpen = 1,
  kInvalidSettings = 2,
  kUnreadable = 3,
  kTooLarge = 4,  // more than kMaxCommandFileSize bytes
};
// A loaded file costs many times its size in memory and time, most of it in the window's
// tree: beyond this size opening would take the machine's memory for minutes.
inline constexpr std::size_t kMaxCommandFileSize = 16u << 20;
enum class ParseResult : int { kOk = 0, kInvalid = 2 };
enum class SaveResult : int { kOk = 0, kCannotCreate = 1, kWriteFailed = 2 };

inline constexpr std::size_t kLineCapacity = 1023;  // line 1 holds at most 1022 bytes
inline constexpr char kCurrentFormatTag[] = "Vexa0109";

// Checks and reads the settings line (missing trailing fields get their defaults); nothing
// on the first missing or invalid field.
std::optional<CommSettings> ParseSettingsLine(std::string_view line);

// A command file's content: on kOk its settings and its item text (nullopt when nothing
// follows line 1).
struct CommandFileContent {
  FileRead result = FileRead::kOk;
  CommSettings settings;
  std::optional<std::string> itemText;
};

// Splits a whole file's bytes into settings and item text.
CommandFileContent ParseCommandFile(std::string_view content);
// Reads a file from disk.
CommandFileContent ReadCommandFile(const std::string& path);

// True when a file with this tag stores item lines without the packed number.
bool IsOlderFormat(std::string_view formatTag);

struct LoadOutcome {
  ParseResult result = ParseResult::kOk;  // kInvalid: loading stopped at a line it could not parse
  bool invalidData = false;               // some item's data could not be derived and was dropped
};

// Items nest at most this deep; a line that would go deeper cannot be parsed. Nobody builds
// such trees, and a file could otherwise ask for a depth that the tree widget cannot take.
inline constexpr std::size_t kMaxItemDepth = 1000;

// Clears the tree and builds it from item lines; then derives every item's bytes. Items
// before a line that cannot be parsed stay (and are derived).
LoadOutcome LoadItemsFromText(ItemTree& tree, const std::optional<std::string>& itemText,
                              const CommSettings& settings);

struct CommandFileLoad {
  FileRead readResult = FileRead::kOk;  // on failure the tree and settings are untouched
  LoadOutcome items;
};

// Reads `path`; on success replaces `settings` as a whole and rebuilds `tree` from it.
CommandFileLoad LoadCommandFile(const std::string& path, ItemTree& tree, CommSettings& settings);

// The operator's message for a failed load, or nullptr when there is none to show.
// UTF-8 texts.
const char* LoadFailureMessage(const CommandFileLoad& load);
inline constexpr char kInvalidDataMessage[] = "無効なﾃﾞｰﾀがあったので削除しました。";

// The whole file as the writer produces it.
std::string WriteSettingsLine(const CommSettings& settings);
std::string WriteItemLines(const ItemTree& tree, const CommSettings& settings);

// Writes a temporary file beside `path` and renames it over `path` only when every byte was
// written; on failure the previous file is untouched and the temporary file removed. With
// kBeside the previous file is kept as "NAME.vxp~".
SaveResult SaveCommandFile(const std::string& path, const CommSettings& settings,
                           const ItemTree& tree, KeepOriginal keep = KeepOriginal::kNo);

// Any other file the operator saves, in the same way.
SaveResult SaveFileContent(const std::string& path, std::string_view content,
                           KeepOriginal keep = KeepOriginal::kNo);

// "保存できません。" or "書き込みに失敗しました。" for a failed save (UTF-8).
const char* SaveFailureMessage(SaveResult result);

}  // namespace vexa
