#include "core/files/CommLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vexa {
namespace {

// Beyond this much queued data a batch is written at once, bounding memory.
constexpr std::size_t kFlushThreshold = 1u << 20;

}  // namespace

CommLog::~CommLog() { Close(); }

bool CommLog::Open(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd_ >= 0;
}

void CommLog::Close() {
  if (fd_ < 0) return;
  Flush();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pending_.clear();
}

void CommLog::Append(std::string_view bytes) {
  if (fd_ < 0) return;
  pending_.append(bytes);
  if (pending_.size() >= kFlushThreshold) Flush();
}

bool CommLog::Flush() {
  if (fd_ < 0) return false;
  std::string_view rest = pending_;
  while (!rest.empty()) {
    const ssize_t n = ::write(fd_, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd_);
      fd_ = -1;
      pending_.clear();
      return false;
    }
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
  pending_.clear();
  return true;
}

}  // namespace vexa
