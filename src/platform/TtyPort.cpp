// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TtyPort.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "platform/OpenFile.h"

namespace vexa {
namespace {

struct StandardSpeed {
  std::int32_t baud;
  speed_t code;
};
constexpr StandardSpeed kStandardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

std::optional<speed_t> StandardSpeedCode(std::int32_t baud) {
  for (const StandardSpeed& s : kStandardSpeeds) {
    if (s.baud == baud) return s.code;
  }
  return std::nullopt;
}

tcflag_t CharacterSize(std::int32_t dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

tcflag_t ParityFlags(std::int32_t parity) {
  switch (parity) {
    case 0:
      return 0;
    case 1:
      return PARENB | PARODD;
    case 2:
      return PARENB;
    case 3:
      return PARENB | CMSPAR | PARODD;
    default:
      return PARENB | CMSPAR;
  }
}

}  // namespace

void MakeRawTermios(termios& t, const LineSettings& line) {
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~(CRTSCTS | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  t.c_cflag |= CharacterSize(line.dataBits) | ParityFlags(line.parity);
  if (line.stopBits != 0) t.c_cflag |= CSTOPB;  // with 5 data bits a UART makes it 1.5
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

IoStatus TtyPort::Open(const std::string& path, const LineSettings& line) {
  if (IsOpen()) return IoStatus::kBusy;
  // A port name in a shared command file may name any file: only a terminal is opened.
  OpenedFile opened = OpenOfType(path, O_RDWR | O_NOCTTY, AcceptedFiles::kCharacterDevice);
  if (!opened.fd) return opened.status;
  UniqueFd fd = std::move(opened.fd);
  if (!isatty(fd.get())) return IoStatus::kNotSupported;

  // flock closes the window in which two processes could both pass TIOCEXCL.
  if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    return (errno == EWOULDBLOCK) ? IoStatus::kBusy : LastIoStatus();
  }
  if (ioctl(fd.get(), TIOCEXCL) != 0 && LastIoStatus() != IoStatus::kNotSupported) {
    return LastIoStatus();
  }
  if (!ReadKernelLineState(fd.get(), saved_)) return LastIoStatus();
  fd_ = std::move(fd);
  ApplyLineSettings(line);
  tcflush(fd_.get(), TCIFLUSH);
  return IoStatus::kOk;
}

void TtyPort::Close() {
  if (!IsOpen()) return;
  ioctl(fd_.get(), TIOCNXCL);
  WriteKernelLineState(fd_.get(), saved_);  // fails harmlessly on a device that is gone
  fd_.Reset();
}

bool TtyPort::ApplyLineSettings(const LineSettings& line) {
  termios t{};
  if (tcgetattr(fd_.get(), &t) != 0) return false;
  MakeRawTermios(t, line);
  const std::optional<speed_t> standard = StandardSpeedCode(line.baudRate);
  if (standard) cfsetspeed(&t, *standard);
  bool accepted = tcsetattr(fd_.get(), TCSANOW, &t) == 0;
  if (!standard)
    accepted = SetAnySpeed(fd_.get(), static_cast<std::uint32_t>(line.baudRate)) && accepted;
  return accepted;
}

IoCount TtyPort::QueuedBytes() const {
  int queued = 0;
  if (ioctl(fd_.get(), FIONREAD, &queued) != 0) return {LastIoStatus(), 0};
  return {IoStatus::kOk, static_cast<std::size_t>(std::max(queued, 0))};
}

IoCount TtyPort::Read(char* dest, std::size_t max) {
  const ssize_t n = RetryOnInterrupt([&] { return read(fd_.get(), dest, max); });
  if (n > 0) return {IoStatus::kOk, static_cast<std::size_t>(n)};
  if (n == 0) return {IoStatus::kDeviceLost, 0};
  const IoStatus status = LastIoStatus();
  return {status == IoStatus::kWouldBlock ? IoStatus::kOk : status, 0};
}

IoStatus TtyPort::WriteAll(std::string_view bytes, std::chrono::milliseconds limit) {
  return vexa::WriteAll(fd_.get(), bytes, limit);
}

}  // namespace vexa
