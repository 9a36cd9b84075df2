// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PreferenceStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/Io.h"
#include "platform/OpenFile.h"
#include "platform/UniqueFd.h"

namespace vexa {
namespace {

std::optional<std::string> ReadAll(int fd) {
  std::string text;
  char buffer[8192];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > PreferenceStore::kMaxFileSize) return std::nullopt;
  }
}

std::optional<RegDocument> Load(const std::string& path) {
  const UniqueFd fd = OpenOfType(path, O_RDONLY, AcceptedFiles::kRegular).fd;
  if (!fd) return std::nullopt;
  const auto text = ReadAll(fd.get());
  if (!text) return std::nullopt;
  return RegDocument::Parse(*text);
}

// Opens and locks the file itself. A writer that renamed a new copy over the path while we
// waited leaves us holding the old one; then open the new one and lock again. Every retry
// means another writer finished, so this ends.
UniqueFd OpenLocked(const std::string& path) {
  while (true) {
    UniqueFd fd = OpenOfType(path, O_RDWR | O_CREAT, AcceptedFiles::kRegular).fd;
    if (!fd) return fd;
    const int locked = RetryOnInterrupt([&] { return ::flock(fd.get(), LOCK_EX); });
    struct stat held {};
    struct stat current {};
    if (locked != 0 || ::fstat(fd.get(), &held) != 0) return UniqueFd();
    const bool present = ::stat(path.c_str(), &current) == 0;
    if (present && held.st_dev == current.st_dev && held.st_ino == current.st_ino) return fd;
    if (!present && errno != ENOENT) return UniqueFd();
  }
}

std::optional<PreferenceValue> OfType(std::optional<PreferenceValue> value,
                                      PreferenceValue::Type type) {
  if (!value || value->type != type) return std::nullopt;
  return value;
}

}  // namespace

std::string PreferenceStore::DefaultPath() {
  std::string base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] == '\0') {
      const passwd* entry = ::getpwuid(::getuid());
      home = entry ? entry->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/marlen/Vexa.reg";
}

std::optional<PreferenceValue> PreferenceStore::Read(std::string_view key,
                                                     std::string_view name) const {
  const auto document = Load(path_);
  if (!document) return std::nullopt;
  return document->Find(key, name);
}

std::optional<std::string> PreferenceStore::ReadText(std::string_view key,
                                                     std::string_view name) const {
  auto value = OfType(Read(key, name), PreferenceValue::Type::kText);
  if (!value) return std::nullopt;
  return std::move(value->bytes);
}

std::optional<std::uint32_t> PreferenceStore::ReadDword(std::string_view key,
                                                        std::string_view name) const {
  const auto value = OfType(Read(key, name), PreferenceValue::Type::kDword);
  if (!value) return std::nullopt;
  return value->dword;
}

std::optional<std::string> PreferenceStore::ReadBinary(std::string_view key,
                                                       std::string_view name) const {
  auto value = OfType(Read(key, name), PreferenceValue::Type::kBinary);
  if (!value) return std::nullopt;
  return std::move(value->bytes);
}

bool PreferenceStore::Write(std::string_view key, std::span<const NamedValue> values) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
  const std::string target = ResolveWriteTarget(path_);
  // Held until the new copy is in place: the next writer reads what this one wrote.
  const UniqueFd locked = OpenLocked(target);
  if (!locked) return false;
  const auto text = ReadAll(locked.get());
  if (!text) return false;
  RegDocument document = RegDocument::Parse(*text);
  for (const NamedValue& value : values) document.Set(key, value.name, value.value);
  return ReplaceFileContent(target, document.Text()) == ReplaceResult::kOk;
}

bool PreferenceStore::Write(std::string_view key, std::string_view name,
                            const PreferenceValue& value) {
  const NamedValue one{name, value};
  return Write(key, std::span<const NamedValue>(&one, 1));
}

}  // namespace vexa
