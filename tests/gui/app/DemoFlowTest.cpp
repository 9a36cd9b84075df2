// SPDX-License-Identifier: GPL-3.0-or-later
// The demo end to end: the real main window (offscreen) on the demo command file, connected
// to the real simulated terminal adapter.

#include <QTest>
#include <filesystem>

#include "core/CommandIds.h"
#include "core/files/CommandFile.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "support/ChildProcess.h"
#include "support/MainWindowFixture.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Generous: the machine is shared and the sanitizer build is slow.
constexpr int kPatienceMs = 20000;

class DemoFlow : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Start();
    const CommandFileLoad load =
        LoadCommandFile(VEXA_DEMO_FILE, Dialog().Tree(), Work().Settings());
    ASSERT_EQ(load.readResult, FileRead::kOk);
    ASSERT_EQ(LoadFailureMessage(load), nullptr);
    Work().Settings().portName = link_;  // instead of /tmp/vexa-ta, which may be in use
  }

  // The adapter, its link in place.
  void StartAdapter(const std::vector<std::string>& options) {
    std::vector<std::string> arguments = {"--link", link_};
    arguments.insert(arguments.end(), options.begin(), options.end());
    adapter_ = std::make_unique<test::ChildProcess>(VEXA_TASIM_PATH, arguments);
    ASSERT_TRUE(adapter_->Started());
    ASSERT_TRUE(test::WaitUntil([&] { return fs::is_symlink(link_); }, 10s));
  }

  // The first line at or after `from` that satisfies `match`, or -1 once the time is up.
  template <typename Match>
  int WaitForLine(int from, Match match) {
    int found = -1;
    const auto seen = [&] {
      for (int i = from; i < Dialog().AnswerList().Count(); ++i) {
        if (match(Dialog().AnswerList().ShownText(i))) {
          found = i;
          return true;
        }
      }
      return false;
    };
    return QTest::qWaitFor(seen, kPatienceMs) ? found : -1;
  }
  int WaitForLineStarting(int from, const QString& start) {
    return WaitForLine(from, [&](const QString& line) { return line.startsWith(start); });
  }
  int WaitForLineEnding(int from, const QString& end) {
    return WaitForLine(from, [&](const QString& line) { return line.endsWith(end); });
  }

  test::TempDir dir_;
  std::string link_ = dir_.File("ta");
  std::unique_ptr<test::ChildProcess> adapter_;
};

TEST_F(DemoFlow, SendsATFromTheTreeAndAnswersARingByItself) {
  StartAdapter({"--ring", "1"});
  Dialog().ExecuteCommand(kCmdConnect);
  ASSERT_TRUE(Work().IsConnected())
      << (ui_.messages.empty() ? "" : ui_.messages[0].text.toStdString());

  // "御機嫌伺い;AT", the first command of the built-in set, sent as the tree item it is.
  QTreeWidgetItem* hello = Dialog().Tree().topLevelItem(0);
  ASSERT_EQ(Dialog().Tree().Record(CCmdTree::HandleOf(hello))->sendBytes, "AT\r\n");
  Dialog().Tree().setCurrentItem(hello);
  Dialog().CommandBox().setEditText(QString());
  Dialog().ExecuteCommand(kCmdSend);
  // The adapter echoes what it is sent, so the answer may share its line with the echo.
  const int ok = WaitForLineEnding(0, QStringLiteral("OK"));
  ASSERT_GE(ok, 0) << "no OK";

  // The first caller rings a second after the device was opened; the demo answers it with
  // ATA after 500 ms, which the adapter echoes before it connects.
  const int ring = WaitForLineStarting(ok + 1, QStringLiteral("RING"));
  ASSERT_GE(ring, 0) << "no RING";
  const int echo = WaitForLineStarting(ring + 1, QStringLiteral("ATA"));
  ASSERT_GE(echo, 0) << "ATA was not sent";
  EXPECT_GE(WaitForLineEnding(echo, QStringLiteral("CONNECT")), 0) << "no CONNECT";
  EXPECT_TRUE(ui_.messages.empty());

  // Without --keep the adapter ends once Vexa lets go of the device.
  Dialog().ExecuteCommand(kCmdDisconnect);
  EXPECT_EQ(adapter_->Wait(10s), 0) << adapter_->Err();
  EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
}

}  // namespace
}  // namespace vexa
