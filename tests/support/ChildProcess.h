// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A program started as a child process, its standard output and error collected while it
// runs, so that a test can drive a device beside it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace vexa::test {

class ChildProcess {
 public:
  // kHeld: nobody reads the standard output until CollectOut (a paused reader) or CloseOut.
  enum class Stdout { kCollected, kHeld };

  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               Stdout stdoutMode = Stdout::kCollected) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    if (::pipe2(err, O_CLOEXEC) != 0) {
      ::close(out[0]);
      ::close(out[1]);
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    heldOut_ = out[0];
    if (stdoutMode == Stdout::kCollected) CollectOut();
    errReader_ = std::thread([this, fd = err[0]] { Collect(fd, err_); });
  }

  ~ChildProcess() {
    CloseOut();
    if (pid_ > 0 && status_ < 0) {
      ::kill(pid_, SIGKILL);
      Wait(std::chrono::seconds(5));
    }
    JoinReaders();
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // Starts reading a held standard output.
  void CollectOut() {
    if (heldOut_ >= 0) outReader_ = std::thread([this, fd = heldOut_] { Collect(fd, out_); });
    heldOut_ = -1;
  }
  // Closes a held standard output unread, as `| head` does once it has enough.
  void CloseOut() {
    if (heldOut_ >= 0) ::close(heldOut_);
    heldOut_ = -1;
  }
  void Signal(int signal) const { ::kill(pid_, signal); }

  // The exit status, or -1 when the program did not end in time (it is then killed).
  int Wait(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (status_ < 0) {
      int raw = 0;
      const pid_t done = ::waitpid(pid_, &raw, WNOHANG);
      if (done == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &raw, 0);
        status_ = -1;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    JoinReaders();
    return status_;
  }

  // Complete once Wait has returned.
  const std::string& Out() const { return out_; }
  const std::string& Err() const { return err_; }

 private:
  static void Collect(int fd, std::string& into) {
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
      if (n > 0) into.append(buffer, static_cast<std::size_t>(n));
      if (n < 0 && errno != EINTR) break;
    }
    ::close(fd);
  }
  void JoinReaders() {
    if (outReader_.joinable()) outReader_.join();
    if (errReader_.joinable()) errReader_.join();
  }

  pid_t pid_ = -1;
  int heldOut_ = -1;
  int status_ = -1;
  std::string out_;
  std::string err_;
  std::thread outReader_;
  std::thread errReader_;
};

}  // namespace vexa::test
