// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Polls a condition of a threaded test; generous limits keep a busy machine from failing it.

#include <chrono>
#include <thread>

namespace vexa::test {

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace vexa::test
