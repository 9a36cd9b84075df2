// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KernelTermios.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstring>

#include "platform/Io.h"

namespace vexa {
namespace {

static_assert(sizeof(termios2) <= sizeof(KernelLineState::bytes));

bool Control(int fd, unsigned long request, void* argument) {
  return RetryOnInterrupt([&] { return ioctl(fd, request, argument); }) == 0;
}

}  // namespace

bool ReadKernelLineState(int fd, KernelLineState& state) {
  termios2 t{};
  if (!Control(fd, TCGETS2, &t)) return false;
  std::memcpy(state.bytes, &t, sizeof t);
  return true;
}

bool WriteKernelLineState(int fd, const KernelLineState& state) {
  termios2 t;
  std::memcpy(&t, state.bytes, sizeof t);
  return Control(fd, TCSETS2, &t);
}

bool SetAnySpeed(int fd, std::uint32_t baud) {
  if (baud == 0) return false;  // speed 0 means "hang up"
  termios2 t{};
  if (!Control(fd, TCGETS2, &t)) return false;
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = baud;
  t.c_ospeed = baud;
  return Control(fd, TCSETS2, &t);
}

std::optional<std::uint32_t> ReadSpeed(int fd) {
  termios2 t{};
  if (!Control(fd, TCGETS2, &t)) return std::nullopt;
  return t.c_ospeed;
}

}  // namespace vexa
