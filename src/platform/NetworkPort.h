// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A serial port on another machine, reached over TCP as ser2net offers it: the bytes as they
// are, or Telnet with the com-port option (RFC 2217), which also carries the line settings.
// The peer closing the connection is the line going away.

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/NetworkAddress.h"
#include "platform/Port.h"
#include "platform/Telnet.h"
#include "platform/UniqueFd.h"

namespace vexa {

class NetworkPort final : public Port {
 public:
  struct Opened {
    IoStatus status;
    std::unique_ptr<NetworkPort> port;  // set when status is kOk
  };

  // Looks the host up and connects within `limit` in all; then, for RFC 2217, negotiates and
  // sends `line`.
  static Opened Connect(const NetworkAddress& address, NetworkProtocol protocol,
                        const LineSettings& line, std::chrono::milliseconds limit);

  int Descriptor() const override { return socket_.get(); }
  // Sent as com-port commands over RFC 2217; a raw connection has no line to set.
  bool ApplyLineSettings(const LineSettings& line) override;
  IoCount QueuedBytes() const override;
  IoCount Read(char* dest, std::size_t max) override;
  IoStatus WriteAll(std::string_view bytes, std::chrono::milliseconds limit) override;

 private:
  NetworkPort(UniqueFd socket, NetworkProtocol protocol);
  // Sends the Telnet replies owed; the caller holds writeMutex_. Never waits.
  void FlushRepliesLocked();

  UniqueFd socket_;
  const NetworkProtocol protocol_;
  // Whole writes and Telnet replies go out one at a time: the receive thread answers the
  // peer's requests while a send may be under way.
  std::mutex writeMutex_;
  std::mutex telnetMutex_;  // the session, decoded by the receive thread, encoded by senders
  TelnetSession telnet_;
  std::string replies_;  // owed to the peer, not yet sent; under writeMutex_
  std::string decoded_;  // the receive thread's
};

}  // namespace vexa
