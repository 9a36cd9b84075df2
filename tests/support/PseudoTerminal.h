// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pseudo-terminal pair standing in for a serial device: the port side is opened by its path
// like any serial port, the device side is driven through this object.

#include <termios.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace vexa::test {

class PseudoTerminal {
 public:
  // Opens a pair; the port side is closed again so that it can be opened exclusively.
  PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool IsValid() const { return static_cast<bool>(device_); }
  const std::string& PortPath() const { return portPath_; }

  // Writes every byte as the device; false when `limit` passed first or the port side is gone.
  bool Write(std::string_view bytes, std::chrono::milliseconds limit = std::chrono::seconds(5));
  // Bytes the port side wrote, at most `count`, collected until they arrived or `limit` passed.
  std::string Read(std::size_t count, std::chrono::milliseconds limit);
  // Everything that arrives until nothing more has come for `quiet`.
  std::string ReadUntilQuiet(std::chrono::milliseconds quiet);
  // Hangs the device up: the port side sees the device vanish.
  void CloseDevice();
  // The line settings the port side has set.
  termios LineState() const;

 private:
  UniqueFd device_;
  std::string portPath_;
};

}  // namespace vexa::test
