// SPDX-License-Identifier: GPL-3.0-or-later
#include "PacedDevice.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

namespace vexa::bench {

using namespace std::chrono_literals;

NumberedLines::NumberedLines(std::uint64_t first) {
  char text[kLineBytes + 1];
  std::snprintf(text, sizeof text, "%014llu\r\n",
                static_cast<unsigned long long>(first % 100000000000000ULL));
  std::memcpy(line_, text, kLineBytes);
}

void NumberedLines::AppendTo(std::string& out) {
  out.append(line_, kLineBytes);
  for (int digit = 13; digit >= 0; --digit) {
    if (line_[digit] != '9') {
      ++line_[digit];
      return;
    }
    line_[digit] = '0';
  }
}

PacedWriter::PacedWriter(test::PseudoTerminal& device, double rate,
                         std::chrono::milliseconds duration) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return;
  pid_ = ::fork();
  if (pid_ != 0) {
    ::close(pipeFds[1]);
    doneFd_ = pipeFds[0];
    return;
  }
  ::close(pipeFds[0]);
  const auto start = std::chrono::steady_clock::now();
  std::uint64_t written = 0;
  NumberedLines lines;
  std::string chunk;
  for (auto tick = start; tick - start < duration; tick += 1ms) {
    std::this_thread::sleep_until(tick);
    const double due =
        rate * std::chrono::duration<double>(tick - start + 1ms).count() / kLineBytes;
    chunk.clear();
    for (; written < static_cast<std::uint64_t>(due); ++written) lines.AppendTo(chunk);
    if (!chunk.empty() && !device.Write(chunk, 10s)) break;
  }
  // A device slower than the rate asked for falls behind: report the time it really took.
  const Report report{written, std::chrono::steady_clock::now() - start};
  const ssize_t n = ::write(pipeFds[1], &report, sizeof report);
  (void)n;
  ::pause();
  ::_exit(0);
}

PacedWriter::~PacedWriter() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (doneFd_ >= 0) ::close(doneFd_);
}

bool PacedWriter::Finished(std::uint64_t& lines) {
  pollfd done{doneFd_, POLLIN, 0};
  if (::poll(&done, 1, 0) != 1) return false;
  Report report{};
  if (::read(doneFd_, &report, sizeof report) != sizeof report) report = {};
  lines = report.lines;
  took_ = report.took;
  return true;
}

double PacedWriter::WrittenMBps(std::uint64_t lines) const {
  const double seconds = std::chrono::duration<double>(took_).count();
  return seconds > 0 ? lines * kLineBytes / 1e6 / seconds : 0;
}

bool FileHoldsLines(const std::filesystem::path& file, std::uint64_t count) {
  std::ifstream in(file, std::ios::binary);
  NumberedLines lines;
  std::string expected;
  std::string actual;
  constexpr std::uint64_t kLinesPerPiece = 65536;
  for (std::uint64_t n = 0; n < count; n += kLinesPerPiece) {
    expected.clear();
    for (std::uint64_t k = n; k < std::min(count, n + kLinesPerPiece); ++k)
      lines.AppendTo(expected);
    actual.resize(expected.size());
    if (!in.read(actual.data(), static_cast<std::streamsize>(actual.size())) ||
        actual != expected) {
      return false;
    }
  }
  return in.peek() == std::char_traits<char>::eof();
}

}  // namespace vexa::bench
