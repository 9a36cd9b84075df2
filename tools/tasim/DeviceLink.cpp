// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/DeviceLink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/AtomicFile.h"
#include "tasim/SystemError.h"

namespace vexa::tasim {
namespace {

// Why an existing `path` may not be replaced; empty when it may.
std::string RefusalFor(const std::string& path, const struct stat& existing) {
  std::string reason;
  if (S_ISDIR(existing.st_mode)) {
    reason = path + " is a directory";
  } else if (!S_ISLNK(existing.st_mode)) {
    reason = path + " exists and is not a symbolic link";
  } else if (existing.st_uid != geteuid()) {
    reason =
        path + " is a symbolic link of another user (uid " + std::to_string(existing.st_uid) + ")";
  }
  if (!reason.empty()) reason += "; remove it or choose another name with --link";
  return reason;
}

// The name never goes missing and is never anything but a link.
bool ReplaceLink(const std::string& path, const std::string& target, std::string& error) {
  if (ReplaceWithSymlink(path, target) == ReplaceResult::kOk) return true;
  error = SystemError("cannot replace " + path);
  return false;
}

std::string LinkTarget(const std::string& path) {
  char target[4096];
  const ssize_t n = readlink(path.c_str(), target, sizeof target);
  return n < 0 ? std::string() : std::string(target, static_cast<std::size_t>(n));
}

}  // namespace

DeviceLink::~DeviceLink() {
  if (!path_.empty() && LinkTarget(path_) == target_) unlink(path_.c_str());
}

bool DeviceLink::Create(const std::string& path, const std::string& target, std::string& error) {
  struct stat existing {};
  if (lstat(path.c_str(), &existing) == 0) {
    error = RefusalFor(path, existing);
    if (!error.empty() || !ReplaceLink(path, target, error)) return false;
  } else if (errno != ENOENT) {
    error = SystemError("cannot examine " + path);
    return false;
  } else if (symlink(target.c_str(), path.c_str()) != 0) {
    error = SystemError("cannot create " + path);
    return false;
  }
  path_ = path;
  target_ = target;
  return true;
}

}  // namespace vexa::tasim
