// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A device that answers every line it receives (ending with CR LF) with "=" and that line,
// from a thread of its own, until it is destroyed.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support/PseudoTerminal.h"

namespace vexa::test {

class LineResponder {
 public:
  explicit LineResponder(PseudoTerminal& device) : device_(device), thread_([this] { Run(); }) {}
  ~LineResponder() {
    stop_ = true;
    thread_.join();
  }
  LineResponder(const LineResponder&) = delete;
  LineResponder& operator=(const LineResponder&) = delete;

 private:
  void Run() {
    std::string pending;
    while (!stop_) {
      pending += device_.Read(4096, std::chrono::milliseconds(5));
      for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
        device_.Write("=" + pending.substr(0, end + 2));
        pending.erase(0, end + 2);
      }
    }
  }

  PseudoTerminal& device_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vexa::test
