// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The communication log: received bytes exactly as they came, appended line after line.
// Lines are collected and written in batches; Flush must run before the caller returns to
// its event loop, so nothing received is held only in memory for long.

#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace vexa {

class CommLog {
 public:
  CommLog() = default;
  ~CommLog();
  CommLog(const CommLog&) = delete;
  CommLog& operator=(const CommLog&) = delete;

  // Creates the file, replacing an existing one. False when it cannot be created.
  bool Open(const std::string& path);
  // Writes what is pending, then closes. Does nothing when not open.
  void Close();
  bool IsOpen() const { return static_cast<bool>(fd_); }

  // Queues bytes for the next Flush (nothing when not open).
  void Append(std::string_view bytes);
  // Writes everything queued. On a short write the log is closed and false returned.
  bool Flush();

 private:
  UniqueFd fd_;
  std::string pending_;
};

}  // namespace vexa
