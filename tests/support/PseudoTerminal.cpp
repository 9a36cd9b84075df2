// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/Io.h"

namespace vexa::test {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Left(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? left : std::chrono::milliseconds(0);
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
  int device = -1;
  int port = -1;
  char name[PATH_MAX] = {};
  if (openpty(&device, &port, name, nullptr, nullptr) != 0) return;
  close(port);
  fcntl(device, F_SETFL, O_NONBLOCK);
  fcntl(device, F_SETFD, FD_CLOEXEC);
  device_.Reset(device);
  portPath_ = name;
}

bool PseudoTerminal::Write(std::string_view bytes, std::chrono::milliseconds limit) {
  return WriteAll(device_.get(), bytes, limit) == IoStatus::kOk;
}

std::string PseudoTerminal::Read(std::size_t count, std::chrono::milliseconds limit) {
  const Clock::time_point deadline = Clock::now() + limit;
  std::string received;
  char buffer[4096];
  while (received.size() < count) {
    const std::size_t want = std::min(sizeof buffer, count - received.size());
    const ssize_t n = RetryOnInterrupt([&] { return read(device_.get(), buffer, want); });
    if (n > 0) {
      received.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (Left(deadline).count() == 0) break;
    // With no port side open, poll() reports a hang-up at once: look again shortly, as the
    // port side may be opened by then.
    if (WaitForEvents(device_.get(), POLLIN, Left(deadline)) & POLLHUP) {
      WaitForEvents(-1, 0, std::min(Left(deadline), std::chrono::milliseconds(10)));
    }
  }
  return received;
}

std::string PseudoTerminal::ReadUntilQuiet(std::chrono::milliseconds quiet) {
  std::string received;
  for (;;) {
    std::string more = Read(SIZE_MAX, quiet);
    if (more.empty()) return received;
    received += more;
  }
}

void PseudoTerminal::CloseDevice() {
  device_.Reset();
}

termios PseudoTerminal::LineState() const {
  termios state{};
  tcgetattr(device_.get(), &state);
  return state;
}

}  // namespace vexa::test
