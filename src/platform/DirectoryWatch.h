// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hears of one name in a directory being created, moved there or changed (inotify): a device
// node or a symbolic link that udev puts back when the device returns.

#include <string>

#include "platform/UniqueFd.h"

namespace vexa {

class DirectoryWatch {
 public:
  // Watches the directory of `path` for its last component. Not valid when the directory
  // cannot be watched (it may not exist while no such device is plugged in).
  explicit DirectoryWatch(const std::string& path);
  DirectoryWatch(const DirectoryWatch&) = delete;
  DirectoryWatch& operator=(const DirectoryWatch&) = delete;

  bool IsValid() const { return static_cast<bool>(fd_); }
  // Readable when events wait; -1 when not valid.
  int Descriptor() const { return fd_.get(); }
  // Reads every waiting event: true when one concerned the name (or events were lost). After
  // the directory itself went away the watch is no longer valid.
  bool TakeEvents();

 private:
  UniqueFd fd_;
  std::string name_;
};

}  // namespace vexa
