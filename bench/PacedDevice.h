// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A device that writes numbered 16-byte lines at a paced rate from a child process, so that
// the process measured spends nothing on producing them, and the check that a log or a count
// holds exactly what it wrote.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "support/PseudoTerminal.h"

namespace vexa::bench {

inline constexpr std::size_t kLineBytes = 16;

// Line n, n+1, ...: 14 decimal digits and CR LF, counted up in place (no formatting per line).
class NumberedLines {
 public:
  explicit NumberedLines(std::uint64_t first = 0);
  void AppendTo(std::string& out);

 private:
  char line_[kLineBytes];
};

class PacedWriter {
 public:
  // Writes `rate` bytes/s for `duration` in 1 ms steps, then waits to be stopped (closing the
  // device early would throw away what the reader has not read yet).
  PacedWriter(test::PseudoTerminal& device, double rate, std::chrono::milliseconds duration);
  ~PacedWriter();
  PacedWriter(const PacedWriter&) = delete;
  PacedWriter& operator=(const PacedWriter&) = delete;

  bool Running() const { return pid_ > 0; }
  // Whether it has written everything; `lines` is then how many lines.
  bool Finished(std::uint64_t& lines);
  // The rate it achieved, once finished.
  double WrittenMBps(std::uint64_t lines) const;

 private:
  struct Report {
    std::uint64_t lines;
    std::chrono::steady_clock::duration took;
  };
  pid_t pid_ = -1;
  int doneFd_ = -1;
  std::chrono::steady_clock::duration took_{};
};

// Whether `file` holds exactly lines 0 to count - 1, read in pieces to keep memory flat.
bool FileHoldsLines(const std::filesystem::path& file, std::uint64_t count);

}  // namespace vexa::bench
