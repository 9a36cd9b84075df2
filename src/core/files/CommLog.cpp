// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/CommLog.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/Io.h"

namespace vexa {
namespace {

// Beyond this much queued data a batch is written at once, bounding memory.
constexpr std::size_t kFlushThreshold = 1u << 20;

}  // namespace

CommLog::~CommLog() {
  Close();
}

bool CommLog::Open(const std::string& path) {
  Close();
  fd_.Reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  return IsOpen();
}

void CommLog::Close() {
  if (!IsOpen()) return;
  Flush();
  fd_.Reset();
  pending_.clear();
}

void CommLog::Append(std::string_view bytes) {
  if (!IsOpen()) return;
  pending_.append(bytes);
  if (pending_.size() >= kFlushThreshold) Flush();
}

bool CommLog::Flush() {
  if (!IsOpen()) return false;
  const bool written = WriteAll(fd_.get(), pending_) == IoStatus::kOk;
  pending_.clear();
  if (!written) fd_.Reset();
  return written;
}

}  // namespace vexa
