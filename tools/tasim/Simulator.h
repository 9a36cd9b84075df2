// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The adapter on its pseudo-terminal: one thread, one poll() loop, waking only for the
// terminal's bytes, a stop signal, or the engine's next deadline.

#include <optional>
#include <string>

#include "tasim/Engine.h"
#include "tasim/PseudoTerminal.h"

namespace vexa::tasim {

enum class StopReason { kSignal, kPeerClosed };

// What happens when the peer closes the device.
enum class AfterPeerCloses {
  kStop,
  kAwaitNext,  // the next peer finds a freshly reset adapter
};

class Simulator {
 public:
  // `signalFd` turns readable when the simulator is asked to stop.
  Simulator(PseudoTerminal& pty, int signalFd, const EngineOptions& options,
            AfterPeerCloses afterPeerCloses);

  // Runs until a stop request or (with kStop) until the peer closes the device; nullopt,
  // with the reason in `error`, when a system call fails.
  std::optional<StopReason> Run(std::string& error);

 private:
  // The engine starts when the peer opens the device, so rings count from then.
  void PeerArrived(TimePoint now);
  bool AwaitNextPeer(TimePoint now, std::string& error);
  short MasterEvents() const;
  int PollTimeout() const;
  bool ReadFromPeer(TimePoint now);  // false: the peer is gone
  bool WritePending();               // false: the peer is gone

  PseudoTerminal& pty_;
  int signalFd_;
  EngineOptions options_;
  AfterPeerCloses afterPeerCloses_;
  std::optional<Engine> engine_;  // while a peer has the device open
  std::string pending_;           // answers the peer has not taken yet
};

}  // namespace vexa::tasim
