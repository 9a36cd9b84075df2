// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device a terminal program opens: a pseudo-terminal pair in raw mode.
//
// A master reports POLLHUP while no slave is open, so until a terminal program (the peer)
// opens the slave, the simulator holds a slave descriptor of its own and watches the
// slave's path for opens. Once the peer is there it lets go of its own descriptor, and from
// then on POLLHUP on the master means the peer has closed the device. That POLLHUP stays
// until the next peer opens the slave, which is how a peer that beat the watch is noticed.

#include <optional>
#include <string>

#include "platform/UniqueFd.h"

namespace vexa::tasim {

class PseudoTerminal {
 public:
  // nullopt, with the reason in `error`, when the system refuses.
  static std::optional<PseudoTerminal> Open(std::string& error);

  int master() const { return master_.get(); }
  const std::string& slavePath() const { return slavePath_; }

  // Readable after someone opened the slave; -1 once the slave is released.
  int openWatch() const { return openWatch_.get(); }
  // Reads the pending notices of openWatch(); true if any slave open was among them.
  bool TakeOpenNotices();
  // Closes the own slave descriptor and the watch.
  void ReleaseSlave();

  // After the peer has closed the device: drops what it left unread, so that the next peer
  // starts clean, and watches for the next open again.
  bool AwaitNextPeer(std::string& error);
  // Whether someone has the slave open; only meaningful while the own slave is released.
  bool SlaveOpenElsewhere() const;

 private:
  PseudoTerminal() = default;
  bool WatchOpens(std::string& error);

  UniqueFd master_;
  UniqueFd ownSlave_;
  UniqueFd openWatch_;
  std::string slavePath_;
};

}  // namespace vexa::tasim
