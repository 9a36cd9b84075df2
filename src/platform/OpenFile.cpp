// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OpenFile.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace vexa {
namespace {

bool IsAccepted(mode_t mode, AcceptedFiles accepted) {
  switch (accepted) {
    case AcceptedFiles::kRegular:
      return S_ISREG(mode);
    case AcceptedFiles::kCharacterDevice:
      return S_ISCHR(mode);
    case AcceptedFiles::kRegularOrCharacterDevice:
      return S_ISREG(mode) || S_ISCHR(mode);
  }
  return false;
}

}  // namespace

OpenedFile OpenOfType(const std::string& path, int flags, AcceptedFiles accepted) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !IsAccepted(info.st_mode, accepted)) {
    return {IoStatus::kNotSupported, UniqueFd()};
  }
  UniqueFd fd(
      RetryOnInterrupt([&] { return ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666); }));
  if (!fd) return {LastIoStatus(), UniqueFd()};
  if (::fstat(fd.get(), &info) != 0) return {LastIoStatus(), UniqueFd()};
  if (!IsAccepted(info.st_mode, accepted)) return {IoStatus::kNotSupported, UniqueFd()};
  return {IoStatus::kOk, std::move(fd)};
}

}  // namespace vexa
