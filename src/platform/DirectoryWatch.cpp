// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DirectoryWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>

#include "platform/Io.h"

namespace vexa {

DirectoryWatch::DirectoryWatch(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return;
  name_ = path.substr(slash + 1);
  const std::string directory = slash == 0 ? "/" : path.substr(0, slash);
  UniqueFd fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!fd) return;
  // IN_ATTRIB: udev may make a new node usable only after creating it.
  if (inotify_add_watch(
          fd.get(), directory.c_str(),
          IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR) < 0) {
    return;
  }
  fd_ = std::move(fd);
}

bool DirectoryWatch::TakeEvents() {
  if (!fd_) return false;
  bool concerned = false;
  bool gone = false;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t got = RetryOnInterrupt([&] { return read(fd_.get(), buffer, sizeof buffer); });
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      const char* name = buffer + at + sizeof event;
      if (event.mask & (IN_Q_OVERFLOW)) concerned = true;
      if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) gone = true;
      if (event.len != 0 && name_ == name) concerned = true;
      at += static_cast<ssize_t>(sizeof event + event.len);
    }
  }
  if (gone) fd_.Reset();
  return concerned || gone;
}

}  // namespace vexa
