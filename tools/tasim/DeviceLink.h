// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The stable name of the device: a symbolic link that lives as long as the simulator.

#include <string>

namespace vexa::tasim {

class DeviceLink {
 public:
  DeviceLink() = default;
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;
  // Removes the link, unless something else has taken its name meanwhile.
  ~DeviceLink();

  // Links `path` to `target`. A symbolic link of this user already there (left behind by an
  // earlier run) is replaced; anything else at `path` is left alone and the reason, in
  // English, is put in `error`.
  bool Create(const std::string& path, const std::string& target, std::string& error);

 private:
  std::string path_;
  std::string target_;
};

}  // namespace vexa::tasim
