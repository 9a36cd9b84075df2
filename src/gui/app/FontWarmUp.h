// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's font configuration, read on a thread of its own while the toolkit connects to
// the display.

#include <thread>

namespace vexa {

// Reading the font configuration (tens of XML files) is the longest single step before the
// first window can be painted, and the toolkit does it only when it measures its first text.
// Started first thing in main(), it runs on another core beside the display connection.
class FontWarmUp {
 public:
  FontWarmUp();
  ~FontWarmUp();
  FontWarmUp(const FontWarmUp&) = delete;
  FontWarmUp& operator=(const FontWarmUp&) = delete;

  // Waits for the reading to end. Called before the first text is measured: a toolkit that
  // found it unfinished would read the whole configuration again itself.
  void Finish();

 private:
  std::thread reader_;
};

}  // namespace vexa
