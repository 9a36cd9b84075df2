// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/Reconnector.h"

#include <poll.h>

#include <optional>

#include "core/settings/CommSettings.h"
#include "platform/DirectoryWatch.h"
#include "platform/Io.h"

namespace vexa {

ReconnectOutcome Reconnector::Run(const std::function<bool()>& tryOpen) {
  using Clock = std::chrono::steady_clock;
  const bool watched = !ParseNetworkPortName(path_).has_value();
  std::optional<DirectoryWatch> watch;
  Clock::time_point lastTry = Clock::now();
  for (;;) {
    // The directory may come back with the device (/dev/serial/by-id does).
    if (watched && !(watch && watch->IsValid())) watch.emplace(path_);
    const auto sinceTry = Clock::now() - lastTry;
    bool tryNow = sinceTry >= kReconnectRetry;
    if (!tryNow) {
      const auto wait =
          std::chrono::ceil<std::chrono::milliseconds>(kReconnectRetry - sinceTry).count();
      pollfd fds[2] = {{stopDescriptor_, POLLIN, 0},
                       {watch && watch->IsValid() ? watch->Descriptor() : -1, POLLIN, 0}};
      if (RetryOnInterrupt([&] { return poll(fds, 2, static_cast<int>(wait)); }) < 0) {
        return ReconnectOutcome::kStopped;
      }
      if (fds[0].revents != 0) return ReconnectOutcome::kStopped;
      tryNow = fds[1].revents != 0 && watch->TakeEvents();
    }
    if (!tryNow) continue;
    lastTry = Clock::now();
    if (tryOpen()) return ReconnectOutcome::kOpened;
  }
}

}  // namespace vexa
