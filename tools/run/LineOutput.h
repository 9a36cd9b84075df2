// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Standard output written on a thread of its own, so that a reader who pauses (a pager, a
// stalled ssh session, Ctrl+S) never holds up the log or the receive queue: the lines wait in a
// bounded buffer, and what does not fit is dropped and counted.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/Io.h"
#include "platform/WakeEvent.h"

namespace vexa::run {

struct DroppedOutput {
  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
};

class LineOutput {
 public:
  static constexpr std::size_t kDefaultCapacity = 1u << 20;

  // `onClosed` runs on the writing thread when the reader goes away or writing fails.
  LineOutput(int fd, std::function<void()> onClosed, std::size_t capacity = kDefaultCapacity);
  ~LineOutput();  // abandons what is not written yet
  LineOutput(const LineOutput&) = delete;
  LineOutput& operator=(const LineOutput&) = delete;

  // Queues complete lines; dropped (and counted) when they do not fit, ignored once closed.
  void Put(std::string_view lines);
  // Lines dropped for want of room, or left unwritten when abandoned.
  DroppedOutput Dropped() const;
  // The reader went away: nothing more is written, and nothing more counts as dropped.
  bool Closed() const;
  // Writing failed otherwise: every line from then on counts as dropped.
  bool Failed() const;
  // Waits until everything queued is written, the output closed, or Abandon was called; after
  // `limit` (kNoTimeLimit: never) it abandons the rest itself. Ends the writing thread.
  void Finish(std::chrono::milliseconds limit = kNoTimeLimit);
  // Ends Finish at once; from any thread.
  void Abandon();

 private:
  void WriteLoop();
  // Writes `block`; what could not be written is left in it.
  void WriteBlock(std::string_view& block);

  const int fd_;
  const std::function<void()> onClosed_;
  const std::size_t capacity_;
  WakeEvent abandonWake_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string pending_;
  bool writing_ = false;
  bool finishing_ = false;
  bool closed_ = false;
  bool failed_ = false;
  bool abandoned_ = false;
  DroppedOutput dropped_;
  std::thread writer_;  // last: started once everything it uses exists
};

}  // namespace vexa::run
