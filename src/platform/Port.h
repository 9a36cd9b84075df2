// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the link needs of a serial line, whatever carries it: a tty on this machine, or a
// serial port on another one reached over the network. Reads never wait (poll the
// descriptor for that); writes are complete or fail.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Io.h"

namespace vexa {

struct LineSettings {
  std::int32_t baudRate = 9600;
  std::int32_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
  std::int32_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 (and above) space
  std::int32_t dataBits = 8;  // 5 to 8; anything else keeps 8

  bool operator==(const LineSettings&) const = default;
};

// How long a write of `bytes` may take before it fails: 2 s plus their time at line speed.
std::chrono::milliseconds WriteTimeLimit(std::size_t bytes, const LineSettings& line);

// How many bytes an operation moved or found, and how it went.
struct IoCount {
  IoStatus status;
  std::size_t count;
};

class Port {
 public:
  virtual ~Port() = default;

  // For poll(): readable when Read has something, or has news of the line going away.
  virtual int Descriptor() const = 0;
  // False when (part of) the settings were refused; the line keeps what it had.
  virtual bool ApplyLineSettings(const LineSettings& line) = 0;
  // At least as many bytes as the next Read could take.
  virtual IoCount QueuedBytes() const = 0;
  // At most `max` (> 0) bytes without waiting; kDeviceLost once the line is gone.
  virtual IoCount Read(char* dest, std::size_t max) = 0;
  // Every byte, waiting for room between partial writes; fails after `limit`.
  virtual IoStatus WriteAll(std::string_view bytes, std::chrono::milliseconds limit) = 0;
};

}  // namespace vexa
