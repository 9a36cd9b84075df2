// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Waiting for a lost device to come back under its name: an attempt to open it whenever the
// directory holding the name reports it, and at least every kReconnectRetry besides (udev may
// make the node usable only later, and no directory tells of a port on another machine).

#include <chrono>
#include <functional>
#include <string>

namespace vexa {

inline constexpr std::chrono::milliseconds kReconnectRetry{500};
// One attempt never takes longer (a port on another machine that does not answer).
inline constexpr std::chrono::milliseconds kReconnectOpenLimit{2000};

enum class ReconnectOutcome { kOpened, kStopped };

class Reconnector {
 public:
  // `path`: the device path or network port name the port was opened by. `stopDescriptor`
  // becomes readable when the wait is to end.
  Reconnector(std::string path, int stopDescriptor)
      : path_(std::move(path)), stopDescriptor_(stopDescriptor) {}

  // Calls `tryOpen` until it succeeds, or until the stop descriptor is readable.
  ReconnectOutcome Run(const std::function<bool()>& tryOpen);

 private:
  std::string path_;
  int stopDescriptor_;
};

}  // namespace vexa
