// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A descriptor that a poll() can wait on, to be woken from another thread (an eventfd).

#include "platform/UniqueFd.h"

namespace vexa {

class WakeEvent {
 public:
  WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  bool IsValid() const { return static_cast<bool>(fd_); }
  int Descriptor() const { return fd_.get(); }
  // Makes the descriptor readable until Reset.
  void Signal();
  void Reset();

 private:
  UniqueFd fd_;
};

}  // namespace vexa
