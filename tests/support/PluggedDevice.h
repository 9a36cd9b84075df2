// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A device that is unplugged and plugged in again under the same name: a symbolic link,
// standing in for a /dev/serial/by-id name, to a pseudo-terminal; each plug-in is a new one.

#include <dirent.h>
#include <stdio.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "support/PseudoTerminal.h"

namespace vexa::test {

class PluggedDevice {
 public:
  explicit PluggedDevice(std::string linkPath) : link_(std::move(linkPath)) { Plug(); }
  PluggedDevice(const PluggedDevice&) = delete;
  PluggedDevice& operator=(const PluggedDevice&) = delete;

  const std::string& Path() const { return link_; }
  // The device side while plugged in.
  PseudoTerminal& Device() { return *device_; }

  // The name is re-pointed in one step, as udev does.
  void Plug() {
    device_ = std::make_unique<PseudoTerminal>();
    const std::string fresh = link_ + ".new";
    ::unlink(fresh.c_str());
    if (::symlink(device_->PortPath().c_str(), fresh.c_str()) == 0) {
      ::rename(fresh.c_str(), link_.c_str());
    }
  }
  // The port side sees the device vanish; the name goes too.
  void Unplug() {
    if (device_) device_->CloseDevice();
    device_.reset();
    ::unlink(link_.c_str());
  }

 private:
  std::string link_;
  std::unique_ptr<PseudoTerminal> device_;
};

// How many descriptors and threads this process has.
inline int CountEntries(const char* directory) {
  DIR* dir = ::opendir(directory);
  if (!dir) return -1;
  int count = 0;
  while (const dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
  ::closedir(dir);
  return count;
}

}  // namespace vexa::test
