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
#include "platform/Port.h"
#include "platform/UniqueFd.h"

namespace vexa {

// Raw mode with the frame of `line`, no flow control, receiver on, modem lines ignored.
// Sets the flags only; the speed is applied apart.
void MakeRawTermios(termios& t, const LineSettings& line);

class TtyPort final : public Port {
 public:
  TtyPort() = default;
  ~TtyPort() override { Close(); }
  TtyPort(const TtyPort&) = delete;
  TtyPort& operator=(const TtyPort&) = delete;

  // Opens the device for this process alone, saves its line state, applies `line` (a setting
  // the driver refuses is left as it was) and discards input that arrived before.
  IoStatus Open(const std::string& path, const LineSettings& line);
  // Gives up exclusivity, restores the saved line state and closes. Nothing when closed.
  void Close();
  bool IsOpen() const { return static_cast<bool>(fd_); }
  int Descriptor() const override { return fd_.get(); }

  // False when the driver refused part of the settings.
  bool ApplyLineSettings(const LineSettings& line) override;

  // Bytes the driver holds for reading.
  IoCount QueuedBytes() const override;
  // A tty that reads 0 bytes is gone.
  IoCount Read(char* dest, std::size_t max) override;
  IoStatus WriteAll(std::string_view bytes, std::chrono::milliseconds limit) override;

 private:
  UniqueFd fd_;
  KernelLineState saved_{};
};

}  // namespace vexa
