// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A serial device opened exclusively in raw mode, read without blocking and written
// completely or not at all.

#include <termios.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Io.h"
#include "platform/KernelTermios.h"
#include "platform/UniqueFd.h"

namespace vexa {

struct LineSettings {
  std::int32_t baudRate = 9600;
  std::int32_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
  std::int32_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 (and above) space
  std::int32_t dataBits = 8;  // 5 to 8; anything else keeps 8
};

// Raw mode with the frame of `line`, no flow control, receiver on, modem lines ignored.
// Sets the flags only; the speed is applied apart.
void MakeRawTermios(termios& t, const LineSettings& line);

// How long a write of `bytes` may take before it fails: 2 s plus their time at line speed.
std::chrono::milliseconds WriteTimeLimit(std::size_t bytes, const LineSettings& line);

// How many bytes an operation moved or found, and how it went.
struct IoCount {
  IoStatus status;
  std::size_t count;
};

class TtyPort {
 public:
  TtyPort() = default;
  ~TtyPort() { Close(); }
  TtyPort(const TtyPort&) = delete;
  TtyPort& operator=(const TtyPort&) = delete;

  // Opens the device for this process alone, saves its line state, applies `line` (a setting
  // the driver refuses is left as it was) and discards input that arrived before.
  IoStatus Open(const std::string& path, const LineSettings& line);
  // Gives up exclusivity, restores the saved line state and closes. Nothing when closed.
  void Close();
  bool IsOpen() const { return static_cast<bool>(fd_); }
  int Descriptor() const { return fd_.get(); }

  // false when the driver refused part of the settings.
  bool ApplyLineSettings(const LineSettings& line);

  // Bytes the driver holds for reading.
  IoCount QueuedBytes() const;
  // Reads at most `max` (> 0) bytes without waiting. A tty that reads 0 bytes is gone.
  IoCount Read(char* dest, std::size_t max);
  // Writes every byte, waiting for room between partial writes; fails after `limit`.
  IoStatus WriteAll(std::string_view bytes, std::chrono::milliseconds limit);

 private:
  UniqueFd fd_;
  KernelLineState saved_{};
};

}  // namespace vexa
