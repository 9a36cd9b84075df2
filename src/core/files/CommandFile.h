#pragma once
// Command files (".vxp"): a settings line, then one line per tree item (and one before an
// item for its automatic answer). CP932 text; the writer ends lines with LF, the reader
// takes LF, CR LF and CR.

#include <optional>
#include <string>
#include <string_view>

#include "core/items/ItemTree.h"
#include "core/settings/CommSettings.h"

namespace vexa {

// ReadLine results.
enum ReadLineResult : int { kLineOk = 0, kLineReadError = 1, kLineEnd = 2, kLineTooLong = 3 };
// ReadCommandFile results.
enum ReadFileResult : int {
  kReadOk = 0,
  kReadCannotOpen = 1,
  kReadInvalidSettings = 2,
  kReadUnreadable = 3,
};
// ParseItemLine and LoadItemsFromText results.
enum ParseResult : int { kParseOk = 0, kParseInvalid = 2 };

inline constexpr std::size_t kLineCapacity = 1023;  // line 1 holds at most 1022 bytes
inline constexpr char kCurrentFormatTag[] = "Vexa0109";

// Takes one line from the front of `input`; the line end (CR or LF) is consumed, not stored.
int ReadLine(std::string_view& input, std::string& line);

// Checks and reads the settings line into `settings` (missing trailing fields get their
// defaults). False on the first missing or invalid field.
bool ParseSettingsLine(std::string_view line, CommSettings& settings);

// Splits a whole file's bytes into settings and item text (nullopt when nothing follows
// line 1). Returns a ReadFileResult.
int ParseCommandFile(std::string_view content, CommSettings& settings,
                     std::optional<std::string>& itemText);

// Reads a file from disk: ReadFileResult; nothing is changed on failure.
int ReadCommandFile(const std::string& path, CommSettings& settings,
                    std::optional<std::string>& itemText);

// True when a file with this tag stores item lines without the packed number.
bool IsOlderFormat(std::string_view formatTag);

// Parses one item or answer line at `cursor` into `record` and advances the cursor.
int ParseItemLine(std::string_view& cursor, const CommSettings& settings, int& level,
                  std::string& label, CAttr& record);

struct LoadOutcome {
  int result = kParseOk;       // kParseInvalid: loading stopped at a line it could not parse
  bool invalidData = false;    // some item's data could not be derived and was dropped
};

// Clears the tree and builds it from item lines; then derives every item's bytes. Items
// before a line that cannot be parsed stay (and are derived).
LoadOutcome LoadItemsFromText(ItemTree& tree, const std::optional<std::string>& itemText,
                              const CommSettings& settings);

struct CommandFileLoad {
  int readResult = kReadOk;  // on failure the tree and settings are untouched
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

enum SaveResult : int { kSaveOk = 0, kSaveCannotCreate = 1, kSaveWriteFailed = 2 };

// Writes a temporary file beside `path` and renames it over `path` only when every byte was
// written; on failure the previous file is untouched and the temporary file removed.
int SaveCommandFile(const std::string& path, const CommSettings& settings, const ItemTree& tree);

// "保存できません。" or "書き込みに失敗しました。" for a failed save (UTF-8).
const char* SaveFailureMessage(int saveResult);

}  // namespace vexa
