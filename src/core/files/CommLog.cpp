// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/CommLog.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/Io.h"
#include "platform/OpenFile.h"

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
  // A FIFO or socket would block the receive pipeline; /dev/null and the like are fine.
  fd_ = OpenOfType(path, O_WRONLY | O_CREAT | O_TRUNC, AcceptedFiles::kRegularOrCharacterDevice).fd;
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
