// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening a path the operator named: a FIFO or socket there must never hang the program in
// open() or in the first read or write, and a device must never be opened as a file.

#include <string>

#include "platform/Io.h"
#include "platform/UniqueFd.h"

namespace vexa {

enum class AcceptedFiles { kRegular, kCharacterDevice, kRegularOrCharacterDevice };

struct OpenedFile {
  IoStatus status;  // kNotSupported: a file of a type not accepted
  UniqueFd fd;
};

// open(2) of `path` with `flags` plus O_NONBLOCK and O_CLOEXEC (new files get mode 0666 less
// the umask). The type is checked before opening, so nothing else is ever opened, and again on
// the descriptor, since the name may lead elsewhere by then. The descriptor stays
// non-blocking: a regular file does not mind, and a device's writes go through WriteAll.
OpenedFile OpenOfType(const std::string& path, int flags, AcceptedFiles accepted);

}  // namespace vexa
