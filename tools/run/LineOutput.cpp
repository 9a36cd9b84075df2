// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineOutput.h"

#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>

namespace vexa::run {
namespace {

DroppedOutput CountOf(std::string_view lines) {
  return {static_cast<std::uint64_t>(std::count(lines.begin(), lines.end(), '\n')), lines.size()};
}

void Add(DroppedOutput& total, DroppedOutput more) {
  total.lines += more.lines;
  total.bytes += more.bytes;
}

}  // namespace

LineOutput::LineOutput(int fd, std::function<void()> onClosed, std::size_t capacity)
    : fd_(fd),
      onClosed_(std::move(onClosed)),
      capacity_(capacity),
      writer_([this] { WriteLoop(); }) {}

LineOutput::~LineOutput() {
  Abandon();
  if (writer_.joinable()) writer_.join();
}

void LineOutput::Put(std::string_view lines) {
  std::lock_guard lock(mutex_);
  if (closed_ || abandoned_) return;
  if (failed_ || pending_.size() + lines.size() > capacity_) {
    Add(dropped_, CountOf(lines));
    return;
  }
  pending_.append(lines);
  changed_.notify_all();
}

DroppedOutput LineOutput::Dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

bool LineOutput::Closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

bool LineOutput::Failed() const {
  std::lock_guard lock(mutex_);
  return failed_;
}

void LineOutput::Finish(std::chrono::milliseconds limit) {
  {
    std::unique_lock lock(mutex_);
    finishing_ = true;
    changed_.notify_all();
    const auto done = [&] {
      return (pending_.empty() && !writing_) || closed_ || failed_ || abandoned_;
    };
    if (limit.count() < 0) {
      changed_.wait(lock, done);
    } else {
      changed_.wait_for(lock, limit, done);
    }
  }
  Abandon();  // a no-op when everything was written
  if (writer_.joinable()) writer_.join();
}

void LineOutput::Abandon() {
  std::lock_guard lock(mutex_);
  if (abandoned_) return;
  abandoned_ = true;
  if (!closed_) Add(dropped_, CountOf(pending_));
  pending_.clear();
  abandonWake_.Signal();
  changed_.notify_all();
}

void LineOutput::WriteLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return !pending_.empty() || finishing_ || abandoned_; });
    if (pending_.empty() || abandoned_ || closed_ || failed_) break;
    std::string block;
    block.swap(pending_);
    writing_ = true;
    lock.unlock();
    std::string_view rest = block;
    WriteBlock(rest);
    lock.lock();
    writing_ = false;
    if (!rest.empty() && !closed_) Add(dropped_, CountOf(rest));  // abandoned, or failed
    changed_.notify_all();
  }
  writing_ = false;
  changed_.notify_all();
}

// Waits for room before each piece of at most PIPE_BUF bytes, so that Abandon can always end a
// wait for a reader who never comes back.
void LineOutput::WriteBlock(std::string_view& block) {
  IoStatus status = IoStatus::kOk;
  while (!block.empty() && status == IoStatus::kOk) {
    pollfd waits[] = {{fd_, POLLOUT, 0}, {abandonWake_.Descriptor(), POLLIN, 0}};
    if (RetryOnInterrupt([&] { return ::poll(waits, 2, -1); }) < 0) {
      status = IoStatus::kFailed;
    } else if (waits[1].revents != 0) {
      return;
    } else if ((waits[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      status = IoStatus::kDeviceLost;  // a pipe without a reader, a terminal hung up
    } else {
      const ssize_t written = RetryOnInterrupt([&] {
        return ::write(fd_, block.data(), std::min<std::size_t>(block.size(), PIPE_BUF));
      });
      if (written > 0) block.remove_prefix(static_cast<std::size_t>(written));
      if (written == 0) status = IoStatus::kFailed;
      if (written < 0 && LastIoStatus() != IoStatus::kWouldBlock) status = LastIoStatus();
    }
  }
  if (status == IoStatus::kOk) return;
  {
    std::lock_guard lock(mutex_);
    if (status == IoStatus::kDeviceLost) {
      // The reader closed its end (EPIPE, hang-up): what it did not take is no loss.
      closed_ = true;
    } else {
      failed_ = true;  // a full disk, say: every line from here on is lost
      Add(dropped_, CountOf(pending_));
    }
    pending_.clear();
  }
  onClosed_();
}

}  // namespace vexa::run
