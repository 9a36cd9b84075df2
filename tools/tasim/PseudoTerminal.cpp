// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "tasim/SystemError.h"

namespace vexa::tasim {
namespace {

// Answers the old peer never read wait in the slave's input for whoever opens it next. A
// new peer that already holds the slave exclusively makes the open fail; it then gets the
// device as it is.
void DropUnreadInput(const std::string& slavePath) {
  const UniqueFd slave(::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (slave) tcflush(slave.get(), TCIFLUSH);
}

}  // namespace

std::optional<PseudoTerminal> PseudoTerminal::Open(std::string& error) {
  PseudoTerminal pty;
  pty.master_.Reset(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!pty.master_) {
    error = SystemError("cannot create a pseudo-terminal");
    return std::nullopt;
  }
  char path[128];
  if (grantpt(pty.master()) != 0 || unlockpt(pty.master()) != 0 ||
      ptsname_r(pty.master(), path, sizeof path) != 0) {
    error = SystemError("cannot prepare the pseudo-terminal");
    return std::nullopt;
  }
  pty.slavePath_ = path;

  pty.ownSlave_.Reset(::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC));
  termios settings{};
  if (!pty.ownSlave_ || tcgetattr(pty.ownSlave_.get(), &settings) != 0) {
    error = SystemError("cannot open " + pty.slavePath_);
    return std::nullopt;
  }
  // No echo and no CR/LF translation by the line discipline: the adapter answers itself.
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  if (tcsetattr(pty.ownSlave_.get(), TCSANOW, &settings) != 0) {
    error = SystemError("cannot set raw mode on " + pty.slavePath_);
    return std::nullopt;
  }

  // Watched only after the own open above, so that only other processes' opens show.
  if (!pty.WatchOpens(error)) return std::nullopt;
  return pty;
}

bool PseudoTerminal::WatchOpens(std::string& error) {
  openWatch_.Reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!openWatch_ || inotify_add_watch(openWatch(), slavePath_.c_str(), IN_OPEN) < 0) {
    error = SystemError("cannot watch " + slavePath_);
    return false;
  }
  return true;
}

bool PseudoTerminal::AwaitNextPeer(std::string& error) {
  DropUnreadInput(slavePath_);
  return WatchOpens(error);  // after the own open, which must not count as a peer
}

bool PseudoTerminal::SlaveOpenElsewhere() const {
  pollfd master{master_.get(), 0, 0};
  return poll(&master, 1, 0) >= 0 && (master.revents & POLLHUP) == 0;
}

bool PseudoTerminal::TakeOpenNotices() {
  // Each notice is an inotify_event; the watch has one mask, so any notice is an open.
  alignas(inotify_event) char buffer[4096];
  bool opened = false;
  for (;;) {
    const ssize_t n = ::read(openWatch(), buffer, sizeof buffer);
    if (n > 0) {
      opened = true;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return opened;
    }
  }
}

void PseudoTerminal::ReleaseSlave() {
  ownSlave_.Reset();
  openWatch_.Reset();
}

}  // namespace vexa::tasim
