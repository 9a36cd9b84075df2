// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Io.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace vexa {

IoStatus StatusFromErrno(int error) {
  switch (error) {
    case 0:
      return IoStatus::kOk;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return IoStatus::kWouldBlock;
    case EBUSY:
      return IoStatus::kBusy;
    case ENOENT:
    case ENOTDIR:
      return IoStatus::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return IoStatus::kAccessDenied;
    case ENOTTY:
    case EINVAL:
    case EOPNOTSUPP:
      return IoStatus::kNotSupported;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
    case ECONNRESET:
    case ECONNABORTED:
    case ENOTCONN:
      return IoStatus::kDeviceLost;
    case ETIMEDOUT:
      return IoStatus::kTimedOut;
    default:
      return IoStatus::kFailed;
  }
}

short WaitForEvents(int fd, short events, std::chrono::milliseconds timeout) {
  pollfd p{fd, events, 0};
  const int ms =
      timeout.count() < 0 ? -1 : static_cast<int>(std::min<long long>(timeout.count(), 1 << 30));
  const int result = RetryOnInterrupt([&] { return poll(&p, 1, ms); });
  return result > 0 ? p.revents : 0;
}

IoStatus WriteAll(int fd, std::string_view bytes, std::chrono::milliseconds limit, WriteCall call) {
  using Clock = std::chrono::steady_clock;
  const bool bounded = limit.count() >= 0;
  const Clock::time_point deadline =
      Clock::now() + (bounded ? limit : std::chrono::milliseconds(0));
  while (!bytes.empty()) {
    const ssize_t n = RetryOnInterrupt([&] {
      return call == WriteCall::kSend ? send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                      : write(fd, bytes.data(), bytes.size());
    });
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && LastIoStatus() != IoStatus::kWouldBlock) return LastIoStatus();
    auto left = kNoTimeLimit;
    if (bounded) {
      left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return IoStatus::kTimedOut;
    }
    if (WaitForEvents(fd, POLLOUT, left) & (POLLERR | POLLHUP | POLLNVAL)) {
      return IoStatus::kDeviceLost;
    }
  }
  return IoStatus::kOk;
}

}  // namespace vexa
