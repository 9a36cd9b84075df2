// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>
#include <random>

#include "platform/Io.h"
#include "platform/OpenFile.h"
#include "platform/UniqueFd.h"

namespace vexa {
namespace {

std::string TemporaryNameBeside(const std::string& target) {
  static thread_local std::mt19937 random{std::random_device{}()};
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".%08x~", static_cast<unsigned>(random()));
  return target + suffix;
}

bool IsTemporaryNameOf(std::string_view name, std::string_view targetName) {
  constexpr std::size_t kSuffix = 10;  // ".%08x~"
  if (name.size() != targetName.size() + kSuffix || !name.starts_with(targetName)) return false;
  const std::string_view suffix = name.substr(targetName.size());
  return suffix.front() == '.' && suffix.back() == '~' &&
         std::all_of(suffix.begin() + 1, suffix.end() - 1,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A save killed between creating its temporary file and renaming it leaves the file behind.
// A young one may be another program's save still in progress.
void RemoveLeftoverTemporaries(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string targetName = slash == std::string::npos ? target : target.substr(slash + 1);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const std::time_t youngest = std::time(nullptr) - 60;
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryNameOf(entry->d_name, targetName)) continue;
    struct stat info {};
    if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) && info.st_mtime < youngest) {
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

// Makes a new object under a fresh temporary name beside `target` with `make` (which fails
// with EEXIST when the name is taken), then renames it over `target`.
ReplaceResult ReplaceBy(const std::string& target,
                        const std::function<ReplaceResult(const std::string&)>& make) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temporary = TemporaryNameBeside(target);
    const ReplaceResult made = make(temporary);
    if (made == ReplaceResult::kCannotCreate && errno == EEXIST) continue;
    if (made == ReplaceResult::kOk && ::rename(temporary.c_str(), target.c_str()) == 0) {
      RemoveLeftoverTemporaries(target);
      return ReplaceResult::kOk;
    }
    if (made != ReplaceResult::kCannotCreate) ::unlink(temporary.c_str());
    return made == ReplaceResult::kOk ? ReplaceResult::kWriteFailed : made;
  }
  return ReplaceResult::kCannotCreate;
}

// A new file under a free temporary name holding `content`, with the mode of `modeOf` when
// given.
ReplaceResult WriteNewFile(const std::string& temporary, std::string_view content,
                           const struct stat* modeOf) {
  UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd) return ReplaceResult::kCannotCreate;
  const bool written = (!modeOf || ::fchmod(fd.get(), modeOf->st_mode & 07777) == 0) &&
                       WriteAll(fd.get(), content) == IoStatus::kOk && ::fsync(fd.get()) == 0;
  return fd.Close() && written ? ReplaceResult::kOk : ReplaceResult::kWriteFailed;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const UniqueFd fd = OpenOfType(path, O_RDONLY, AcceptedFiles::kRegular).fd;
  if (!fd) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = RetryOnInterrupt([&] { return ::read(fd.get(), buffer, sizeof buffer); });
    if (n == 0) return content;
    if (n < 0) return std::nullopt;
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

// A copy rather than a second name: the file systems that files are carried on between
// machines often have no hard links.
ReplaceResult KeepCopyBeside(const std::string& target, const struct stat& mode) {
  const std::optional<std::string> original = ReadWholeFile(target);
  if (!original) return ReplaceResult::kCannotCreate;
  return ReplaceBy(target + "~", [&](const std::string& temporary) {
    return WriteNewFile(temporary, *original, &mode);
  });
}

}  // namespace

// Dotfile managers and operators link these files; the link must survive a save.
std::string ResolveWriteTarget(const std::string& path) {
  struct stat info {};
  char resolved[PATH_MAX];
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
      ::realpath(path.c_str(), resolved) != nullptr) {
    return resolved;
  }
  return path;
}

ReplaceResult ReplaceFileContent(const std::string& path, std::string_view content,
                                 KeepOriginal keep) {
  if (path.empty()) return ReplaceResult::kCannotCreate;
  const std::string target = ResolveWriteTarget(path);
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  // A file the operator may not write is not replaced behind its back.
  if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
    return ReplaceResult::kCannotCreate;
  }
  if (exists && keep == KeepOriginal::kBeside) {
    const ReplaceResult kept = KeepCopyBeside(target, existing);
    if (kept != ReplaceResult::kOk) return kept;
  }
  return ReplaceBy(target, [&](const std::string& temporary) {
    return WriteNewFile(temporary, content, exists ? &existing : nullptr);
  });
}

ReplaceResult ReplaceWithSymlink(const std::string& path, const std::string& target) {
  return ReplaceBy(path, [&](const std::string& temporary) {
    return ::symlink(target.c_str(), temporary.c_str()) == 0 ? ReplaceResult::kOk
                                                             : ReplaceResult::kCannotCreate;
  });
}

}  // namespace vexa
