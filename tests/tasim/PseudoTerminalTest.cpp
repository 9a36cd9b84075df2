// SPDX-License-Identifier: GPL-3.0-or-later
// How the simulator tells that a terminal program has opened its device: the kernel
// behaviour it relies on, with real pseudo-terminals.

#include "tasim/PseudoTerminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

#include "platform/UniqueFd.h"

namespace vexa::tasim {
namespace {

UniqueFd OpenAsPeer(const PseudoTerminal& pty) {
  return UniqueFd(::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
}

class TasimPseudoTerminal : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    pty_ = PseudoTerminal::Open(error);
    ASSERT_TRUE(pty_) << error;
  }
  // A first peer came and went, as before the simulator waits for the next.
  void FirstPeerCameAndWent() {
    const UniqueFd peer = OpenAsPeer(*pty_);
    ASSERT_TRUE(peer);
    ASSERT_TRUE(pty_->TakeOpenNotices());
    pty_->ReleaseSlave();
    EXPECT_TRUE(pty_->SlaveOpenElsewhere());
  }

  std::optional<PseudoTerminal> pty_;
};

TEST_F(TasimPseudoTerminal, TheOwnSlaveLeavesNoNotice) {
  EXPECT_FALSE(pty_->TakeOpenNotices());
  FirstPeerCameAndWent();
  EXPECT_FALSE(pty_->SlaveOpenElsewhere());
  std::string error;
  ASSERT_TRUE(pty_->AwaitNextPeer(error)) << error;
  EXPECT_FALSE(pty_->TakeOpenNotices()) << "its own open to drop stale input";
  EXPECT_FALSE(pty_->SlaveOpenElsewhere());
}

TEST_F(TasimPseudoTerminal, ANextPeerIsNoticedAndSeen) {
  FirstPeerCameAndWent();
  std::string error;
  ASSERT_TRUE(pty_->AwaitNextPeer(error)) << error;
  const UniqueFd next = OpenAsPeer(*pty_);
  ASSERT_TRUE(next);
  EXPECT_TRUE(pty_->TakeOpenNotices());
  EXPECT_TRUE(pty_->SlaveOpenElsewhere());
}

TEST_F(TasimPseudoTerminal, ANextPeerFasterThanTheWatchIsSeen) {
  FirstPeerCameAndWent();
  const UniqueFd early = OpenAsPeer(*pty_);
  ASSERT_TRUE(early);
  std::string error;
  ASSERT_TRUE(pty_->AwaitNextPeer(error)) << error;
  EXPECT_FALSE(pty_->TakeOpenNotices());
  EXPECT_TRUE(pty_->SlaveOpenElsewhere());
}

TEST_F(TasimPseudoTerminal, WhatTheLastPeerLeftUnreadIsDropped) {
  FirstPeerCameAndWent();
  ASSERT_EQ(::write(pty_->master(), "OK\r\n", 4), 4);
  std::string error;
  ASSERT_TRUE(pty_->AwaitNextPeer(error)) << error;
  const UniqueFd next = OpenAsPeer(*pty_);
  char buffer[8];
  EXPECT_EQ(::read(next.get(), buffer, sizeof buffer), -1);
  EXPECT_EQ(errno, EAGAIN);
}

}  // namespace
}  // namespace vexa::tasim
