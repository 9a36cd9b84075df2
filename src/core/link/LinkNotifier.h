// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the link tells its owner (the window posts these as events; the runner records them).
// None of them may block on the owner's thread.

namespace vexa {

class LinkNotifier {
 public:
  virtual ~LinkNotifier() = default;

  // Receive thread (or a sending thread, while sent lines are recorded): entries wait in the
  // queue (0x464). Coalesced: after one call the next comes only once a drain has begun, so
  // the handler must drain everything.
  virtual void RecordsReady() = 0;
  // Timer thread: a periodic, automatic-answer or queued manual write failed (0x496); the
  // owner reports it and disconnects. At most once per connection, never after Disconnect
  // began; after any failed write, timers write nothing more until the next Open.
  virtual void SendFailed() = 0;
  // Receive thread: the device vanished; the receive thread has ended. Once per connection,
  // after the RecordsReady that announces the last bytes received before.
  virtual void DeviceLost() = 0;
  // Receive thread, while reconnection is on: the device vanished and is waited for, or it is
  // open again (the owner asks LinkSession::FollowLink which). Never sent to an owner that
  // leaves reconnection off.
  virtual void LinkStateChanged() {}
  // Thread that stops automatic answers (the owner's, within Disconnect, Unregister or Remove):
  // an answer timer had failed to start ("自動応答ﾀｲﾏのｼｽﾃﾑｴﾗｰです。").
  virtual void AnswerTimerFailed() = 0;
};

}  // namespace vexa
