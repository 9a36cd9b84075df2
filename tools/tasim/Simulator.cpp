// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/Simulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "tasim/SystemError.h"

namespace vexa::tasim {
namespace {

// A peer that stops reading stops being read from, rather than the simulator growing.
constexpr std::size_t kMaxPending = 64 * 1024;

// Anything else (EIO above all) means the peer has closed the device.
bool IsTransient(int error) {
  return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

}  // namespace

Simulator::Simulator(PseudoTerminal& pty, int signalFd, const EngineOptions& options,
                     AfterPeerCloses afterPeerCloses)
    : pty_(pty), signalFd_(signalFd), options_(options), afterPeerCloses_(afterPeerCloses) {}

std::optional<StopReason> Simulator::Run(std::string& error) {
  for (;;) {
    // Without a peer the master would report POLLHUP on every poll: the watch waits instead.
    pollfd fds[] = {
        {signalFd_, POLLIN, 0},
        {engine_ ? pty_.master() : -1, MasterEvents(), 0},
        {pty_.openWatch(), POLLIN, 0},  // -1 while the peer is there: poll skips it
    };
    if (poll(fds, std::size(fds), PollTimeout()) < 0) {
      if (errno == EINTR) continue;
      error = SystemError("poll");
      return std::nullopt;
    }
    const TimePoint now = Clock::now();
    if (fds[0].revents != 0) return StopReason::kSignal;
    if ((fds[2].revents & POLLIN) != 0 && pty_.TakeOpenNotices()) PeerArrived(now);
    bool peerGone = false;
    if ((fds[1].revents & POLLIN) != 0) {
      peerGone = !ReadFromPeer(now);
    } else if ((fds[1].revents & (POLLHUP | POLLERR)) != 0) {
      peerGone = true;
    }
    if (engine_ && !peerGone) {
      engine_->AdvanceTo(now);
      pending_ += engine_->TakeOutput();
      peerGone = !WritePending();
    }
    if (!peerGone) continue;
    if (afterPeerCloses_ == AfterPeerCloses::kStop) return StopReason::kPeerClosed;
    if (!AwaitNextPeer(now, error)) return std::nullopt;
  }
}

void Simulator::PeerArrived(TimePoint now) {
  if (engine_) return;
  pty_.ReleaseSlave();
  engine_.emplace(options_, now);
}

bool Simulator::AwaitNextPeer(TimePoint now, std::string& error) {
  engine_.reset();
  pending_.clear();
  if (!pty_.AwaitNextPeer(error)) return false;
  // A peer that opened before the watch was in place leaves no notice.
  if (pty_.SlaveOpenElsewhere()) PeerArrived(now);
  return true;
}

short Simulator::MasterEvents() const {
  short events = 0;
  if (pending_.size() < kMaxPending) events |= POLLIN;
  if (!pending_.empty()) events |= POLLOUT;
  return events;
}

int Simulator::PollTimeout() const {
  const auto deadline = engine_ ? engine_->NextDeadline() : std::nullopt;
  if (!deadline) return -1;
  const auto wait = std::chrono::ceil<Millis>(*deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(wait)>(wait, 0, INT_MAX));
}

bool Simulator::ReadFromPeer(TimePoint now) {
  char buffer[4096];
  const ssize_t n = ::read(pty_.master(), buffer, sizeof buffer);
  if (n < 0) return IsTransient(errno);
  if (n == 0) return false;
  engine_->Receive(std::string_view(buffer, static_cast<std::size_t>(n)), now);
  return true;
}

bool Simulator::WritePending() {
  while (!pending_.empty()) {
    const ssize_t n = ::write(pty_.master(), pending_.data(), pending_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return IsTransient(errno);  // EAGAIN: the rest waits for POLLOUT
    pending_.erase(0, static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace vexa::tasim
