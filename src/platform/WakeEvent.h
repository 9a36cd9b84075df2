#pragma once
// A descriptor that a poll() can wait on, to be woken from another thread (an eventfd).

namespace vexa {

class WakeEvent {
 public:
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  bool IsValid() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  // Makes the descriptor readable until Reset.
  void Signal();
  void Reset();

 private:
  int fd_;
};

}  // namespace vexa
