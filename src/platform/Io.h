// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the serial layer needs of system calls: the few outcomes it distinguishes (errno is
// mapped to them here and nowhere else), retrying interrupted calls, and waiting on one
// descriptor.

#include <cerrno>
#include <chrono>
#include <string_view>

namespace vexa {

enum class IoStatus {
  kOk,
  kWouldBlock,    // nothing can move now (EAGAIN)
  kBusy,          // in use by someone else
  kNotFound,      // no such device file
  kAccessDenied,  // permissions
  kNotSupported,  // the device does not know the request (ENOTTY, EINVAL)
  kDeviceLost,    // the device went away (EIO, ENXIO, ENODEV, end of file on a tty)
  kTimedOut,      // a write did not complete within its limit
  kFailed,        // anything else
};

IoStatus StatusFromErrno(int error);
inline IoStatus LastIoStatus() {
  return StatusFromErrno(errno);
}

// Repeats a system call that returned a negative value with errno EINTR.
template <typename Call>
auto RetryOnInterrupt(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

// Waits for `events` on `fd` for at most `timeout` (negative: without limit); the revents,
// or 0 when the time ran out.
short WaitForEvents(int fd, short events, std::chrono::milliseconds timeout);

inline constexpr std::chrono::milliseconds kNoTimeLimit{-1};

// How bytes are written: write(2), or send(2) without SIGPIPE for a socket whose peer may
// have gone (the signal would end the program).
enum class WriteCall { kWrite, kSend };

// Writes every byte, waiting for room between partial writes on a non-blocking descriptor;
// kTimedOut once `limit` passed (kNoTimeLimit: never), kDeviceLost when the other side hung up.
IoStatus WriteAll(int fd, std::string_view bytes, std::chrono::milliseconds limit = kNoTimeLimit,
                  WriteCall call = WriteCall::kWrite);

}  // namespace vexa
