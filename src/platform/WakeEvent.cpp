// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WakeEvent.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "platform/Io.h"

namespace vexa {

WakeEvent::WakeEvent() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void WakeEvent::Signal() {
  const std::uint64_t one = 1;
  RetryOnInterrupt([&] { return write(fd_.get(), &one, sizeof one); });
}

void WakeEvent::Reset() {
  std::uint64_t count = 0;
  RetryOnInterrupt([&] { return read(fd_.get(), &count, sizeof count); });
}

}  // namespace vexa
