// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kernel's own line-state record (struct termios2), for speeds without a Bnnn constant and
// for restoring a port exactly. Its header clashes with glibc's <termios.h>, so it is only
// included in KernelTermios.cpp and travels elsewhere as opaque bytes.

#include <cstdint>
#include <optional>

namespace vexa {

struct KernelLineState {
  alignas(4) unsigned char bytes[64];
};

bool ReadKernelLineState(int fd, KernelLineState& state);
bool WriteKernelLineState(int fd, const KernelLineState& state);

// Sets input and output speed to any rate with BOTHER, keeping every other setting.
bool SetAnySpeed(int fd, std::uint32_t baud);
// The output speed the driver holds, in bits per second.
std::optional<std::uint32_t> ReadSpeed(int fd);

}  // namespace vexa
