// SPDX-License-Identifier: GPL-3.0-or-later
// The real vexa program started with a FIFO as its command file: it must come up all the same.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>

#include "core/settings/Preferences.h"
#include "support/ChildProcess.h"
#include "support/ConfigHome.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;

// Nobody ever writes to the FIFO: a blocking open would hold up the start for good, and since
// the path went into the recent files first, every later start too. The start stores all five
// recent-file slots when it puts the path first and again when it drops the path because it
// cannot be read; five slots without the FIFO can only come from the second.
TEST(WindowProcess, AFifoAsTheStartUpFileIsDroppedAndTheStartGoesOn) {
  for (const bool onCommandLine : {true, false}) {
    test::ConfigHome config;
    test::TempDir dir;
    const std::string fifo = dir.File("pipe.vxp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Preferences prefs{PreferenceStore(config.PreferenceFile())};
    if (!onCommandLine) prefs.WriteHistoryEntry(0, fifo);
    test::ChildProcess window(VEXA_PATH,
                              onCommandLine ? std::vector{fifo} : std::vector<std::string>{});
    EXPECT_TRUE(test::WaitUntil(
        [&] {
          const std::vector<std::string> history = prefs.ReadHistory();
          return history.size() == 5 &&
                 std::find(history.begin(), history.end(), fifo) == history.end();
        },
        20s))
        << (onCommandLine ? "on the command line" : "newest recent file");
    window.Signal(SIGTERM);
    EXPECT_NE(window.Wait(10s), -1);
  }
}

}  // namespace
}  // namespace vexa
