// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ser2net (the network serial server Vexa talks to) started for a test: it shares one device
// on 127.0.0.1, as raw TCP on one port and as Telnet with RFC 2217 on another.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/WaitUntil.h"

namespace vexa::test {

class Ser2net {
 public:
  // Serves `device` (a path); Running() tells whether both ports listen.
  explicit Ser2net(const std::string& device)
      : device_(device), raw_(FreePort()), telnet_(FreePort()) {
    Launch();
  }
  ~Ser2net() { Stop(); }
  Ser2net(const Ser2net&) = delete;
  Ser2net& operator=(const Ser2net&) = delete;

  // After Stop: serves again on the same ports.
  void Restart() {
    Stop();
    Launch();
  }

  bool Running() const { return running_; }
  std::string RawName() const { return "tcp://127.0.0.1:" + std::to_string(raw_); }
  std::string Rfc2217Name() const { return "rfc2217://127.0.0.1:" + std::to_string(telnet_); }

  // Ends it as an operator's SIGTERM would: every connection goes.
  void Stop() {
    if (!process_ || !running_) return;
    running_ = false;
    process_->Signal(SIGTERM);
    process_->Wait(std::chrono::seconds(5));
  }

  // A TCP port on 127.0.0.1 that nothing listens on right now.
  static std::uint16_t FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(s);
    return ntohs(address.sin_port);
  }

 private:
  void Launch() {
    const std::string connector = "  connector: serialdev," + device_ + ",9600n81,local";
    const std::string pidFile = "/tmp/vexa-test-ser2net-" + std::to_string(::getpid()) + "-" +
                                std::to_string(raw_) + ".pid";
    process_ = std::make_unique<ChildProcess>(
        VEXA_SER2NET_PATH,
        std::vector<std::string>{
            "-n", "-u", "-P", pidFile, "-Y", "connection: &raw", "-Y",
            "  accepter: tcp,127.0.0.1," + std::to_string(raw_), "-Y", connector, "-Y",
            "connection: &telnet", "-Y",
            "  accepter: telnet(rfc2217),tcp,127.0.0.1," + std::to_string(telnet_), "-Y",
            connector});
    running_ =
        process_->Started() && WaitUntil([&] { return Listening(raw_) && Listening(telnet_); });
  }

  // Looking at /proc/net/tcp, not connecting: a connection would open the device.
  static bool Listening(std::uint16_t port) {
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);) {
      if (line.find(local) != std::string::npos && line.find(" 0A ") != std::string::npos) {
        return true;
      }
    }
    return false;
  }

  std::string device_;
  std::uint16_t raw_;
  std::uint16_t telnet_;
  std::unique_ptr<ChildProcess> process_;
  bool running_ = false;
};

}  // namespace vexa::test
