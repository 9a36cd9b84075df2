// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkPort.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace vexa {
namespace {

using Clock = std::chrono::steady_clock;

// A dead peer is noticed after about 5 + 3 x 2 s of silence on a connection that still looks
// open, and a send it never acknowledges fails after 10 s.
constexpr int kKeepAliveIdleS = 5;
constexpr int kKeepAliveIntervalS = 2;
constexpr int kKeepAliveProbes = 3;
constexpr unsigned kUnacknowledgedMs = 10000;

struct Endpoint {
  sockaddr_storage address{};
  socklen_t length = 0;
  int family = AF_UNSPEC;
};

struct Lookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  int error = 0;
  std::vector<Endpoint> endpoints;
};

// getaddrinfo() may wait far longer than the operator should for a name server that does
// not answer: it runs on a thread of its own, which is left to finish by itself when the
// time is up.
std::optional<std::vector<Endpoint>> Resolve(const NetworkAddress& address,
                                             Clock::time_point deadline, IoStatus& failure) {
  auto lookup = std::make_shared<Lookup>();
  try {
    std::thread([lookup, host = address.host, service = std::to_string(address.port)] {
      addrinfo hints{};
      hints.ai_socktype = SOCK_STREAM;
      hints.ai_protocol = IPPROTO_TCP;
      hints.ai_flags = AI_NUMERICSERV;
      addrinfo* list = nullptr;
      const int error = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
      std::vector<Endpoint> endpoints;
      for (const addrinfo* each = list; error == 0 && each; each = each->ai_next) {
        Endpoint endpoint;
        std::memcpy(&endpoint.address, each->ai_addr, each->ai_addrlen);
        endpoint.length = each->ai_addrlen;
        endpoint.family = each->ai_family;
        endpoints.push_back(endpoint);
      }
      if (list) freeaddrinfo(list);
      std::lock_guard lock(lookup->mutex);
      lookup->error = error;
      lookup->endpoints = std::move(endpoints);
      lookup->finished = true;
      lookup->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    failure = IoStatus::kFailed;
    return std::nullopt;
  }
  std::unique_lock lock(lookup->mutex);
  if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; })) {
    failure = IoStatus::kTimedOut;
    return std::nullopt;
  }
  if (lookup->error != 0 || lookup->endpoints.empty()) {
    failure = IoStatus::kNotFound;
    return std::nullopt;
  }
  return std::move(lookup->endpoints);
}

std::chrono::milliseconds Left(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

UniqueFd ConnectTo(const Endpoint& endpoint, Clock::time_point deadline, IoStatus& failure) {
  UniqueFd socket(
      ::socket(endpoint.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
  if (!socket) {
    failure = LastIoStatus();
    return socket;
  }
  const auto* address = reinterpret_cast<const sockaddr*>(&endpoint.address);
  if (::connect(socket.get(), address, endpoint.length) != 0) {
    if (errno != EINPROGRESS) {
      failure = LastIoStatus();
      return UniqueFd();
    }
    if (!(WaitForEvents(socket.get(), POLLOUT, Left(deadline)) & (POLLOUT | POLLERR | POLLHUP))) {
      failure = IoStatus::kTimedOut;
      return UniqueFd();
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
      failure = StatusFromErrno(error != 0 ? error : errno);
      return UniqueFd();
    }
  }
  return socket;
}

void SetOption(int socket, int level, int name, int value) {
  ::setsockopt(socket, level, name, &value, sizeof value);
}

// Small commands go out at once, and a peer that vanished without a word is noticed.
void TuneConnection(int socket) {
  SetOption(socket, IPPROTO_TCP, TCP_NODELAY, 1);
  SetOption(socket, SOL_SOCKET, SO_KEEPALIVE, 1);
  SetOption(socket, IPPROTO_TCP, TCP_KEEPIDLE, kKeepAliveIdleS);
  SetOption(socket, IPPROTO_TCP, TCP_KEEPINTVL, kKeepAliveIntervalS);
  SetOption(socket, IPPROTO_TCP, TCP_KEEPCNT, kKeepAliveProbes);
  SetOption(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, static_cast<int>(kUnacknowledgedMs));
}

}  // namespace

NetworkPort::NetworkPort(UniqueFd socket, NetworkProtocol protocol)
    : socket_(std::move(socket)), protocol_(protocol) {}

NetworkPort::Opened NetworkPort::Connect(const NetworkAddress& address, NetworkProtocol protocol,
                                         const LineSettings& line,
                                         std::chrono::milliseconds limit) {
  const Clock::time_point deadline = Clock::now() + limit;
  IoStatus failure = IoStatus::kFailed;
  const std::optional<std::vector<Endpoint>> endpoints = Resolve(address, deadline, failure);
  if (!endpoints) return {failure, nullptr};
  UniqueFd socket;
  for (const Endpoint& endpoint : *endpoints) {
    socket = ConnectTo(endpoint, deadline, failure);
    if (socket || Left(deadline).count() == 0) break;
  }
  if (!socket) return {failure, nullptr};
  TuneConnection(socket.get());
  std::unique_ptr<NetworkPort> port(new NetworkPort(std::move(socket), protocol));
  if (protocol == NetworkProtocol::kRfc2217) {
    std::string greeting = port->telnet_.Greeting();
    greeting += port->telnet_.LineSettingsCommands(line);  // the option is asked for by now
    const IoStatus sent =
        vexa::WriteAll(port->socket_.get(), greeting,
                       std::max(Left(deadline), std::chrono::milliseconds(1)), WriteCall::kSend);
    if (sent != IoStatus::kOk) return {sent, nullptr};
  }
  return {IoStatus::kOk, std::move(port)};
}

bool NetworkPort::ApplyLineSettings(const LineSettings& line) {
  if (protocol_ != NetworkProtocol::kRfc2217) return true;
  std::lock_guard write(writeMutex_);
  std::string commands;
  {
    std::lock_guard telnet(telnetMutex_);
    commands = telnet_.LineSettingsCommands(line);
  }
  if (commands.empty()) return false;  // the peer refused the com-port option
  return vexa::WriteAll(socket_.get(), commands, WriteTimeLimit(commands.size(), line),
                        WriteCall::kSend) == IoStatus::kOk;
}

IoCount NetworkPort::QueuedBytes() const {
  int queued = 0;
  if (::ioctl(socket_.get(), FIONREAD, &queued) != 0) return {LastIoStatus(), 0};
  return {IoStatus::kOk, static_cast<std::size_t>(std::max(queued, 0))};
}

IoCount NetworkPort::Read(char* dest, std::size_t max) {
  const ssize_t n =
      RetryOnInterrupt([&] { return ::recv(socket_.get(), dest, max, MSG_DONTWAIT); });
  if (n == 0) return {IoStatus::kDeviceLost, 0};  // the peer closed the connection
  if (n < 0) {
    const IoStatus status = LastIoStatus();
    return {status == IoStatus::kWouldBlock ? IoStatus::kOk : IoStatus::kDeviceLost, 0};
  }
  if (protocol_ == NetworkProtocol::kRaw) return {IoStatus::kOk, static_cast<std::size_t>(n)};

  // Decoded data is never longer than what came in, so it fits where the raw bytes were.
  decoded_.clear();
  {
    std::lock_guard telnet(telnetMutex_);
    telnet_.Decode({dest, static_cast<std::size_t>(n)}, decoded_);
  }
  std::memcpy(dest, decoded_.data(), decoded_.size());
  // A send under way takes the replies with it; otherwise they go now.
  std::unique_lock write(writeMutex_, std::try_to_lock);
  if (write.owns_lock()) FlushRepliesLocked();
  return {IoStatus::kOk, decoded_.size()};
}

IoStatus NetworkPort::WriteAll(std::string_view bytes, std::chrono::milliseconds limit) {
  if (protocol_ == NetworkProtocol::kRaw) {
    std::lock_guard write(writeMutex_);
    return vexa::WriteAll(socket_.get(), bytes, limit, WriteCall::kSend);
  }
  std::lock_guard write(writeMutex_);
  std::string wire;
  {
    std::lock_guard telnet(telnetMutex_);
    replies_ += telnet_.TakeReplies();
    wire = std::exchange(replies_, {}) + telnet_.Encode(bytes);
  }
  const IoStatus status = vexa::WriteAll(socket_.get(), wire, limit, WriteCall::kSend);
  if (status == IoStatus::kOk) FlushRepliesLocked();
  return status;
}

void NetworkPort::FlushRepliesLocked() {
  {
    std::lock_guard telnet(telnetMutex_);
    replies_ += telnet_.TakeReplies();
  }
  while (!replies_.empty()) {
    const ssize_t n = RetryOnInterrupt([&] {
      return ::send(socket_.get(), replies_.data(), replies_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    });
    if (n <= 0) return;  // no room now: the next send or read tries again
    replies_.erase(0, static_cast<std::size_t>(n));
  }
}

}  // namespace vexa
