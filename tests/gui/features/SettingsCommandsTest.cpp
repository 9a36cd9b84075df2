// SPDX-License-Identifier: GPL-3.0-or-later
// 通信の設定, 編集の設定 and 項目の詳細 through the real main window; the connected cases
// with a pseudo-terminal as the device.

#include "gui/features/SettingsCommands.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/files/CommandFile.h"
#include "core/items/CommandListView.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/dialogs/CmdAttr.h"
#include "gui/dialogs/FilePropaty.h"
#include "gui/dialogs/Propaty.h"
#include "gui/features/FileCommands.h"
#include "gui/features/LinkControl.h"
#include "gui/features/TreeCommands.h"
#include "support/MainWindowFixture.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"
#include "support/TreeFill.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;

template <typename Control>
Control& Child(QWidget& dialog, const char* name) {
  auto* control = dialog.findChild<Control*>(QString::fromLatin1(name));
  if (!control) throw std::runtime_error(name);
  return *control;
}

class SettingsCommandsTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Start();
  }

  // Item lines of the older form ("level,label"), loaded as a file would be.
  void Fill(const std::string& utf8Lines) { test::LoadTree(App(), utf8Lines); }

  // Runs `command` and lets `work` act on the modal dialog it opens; the dialog must be closed
  // by then. False when no such dialog opened.
  template <typename Shown>
  bool RunDialog(int command, const std::function<void(Shown&)>& work) {
    bool opened = false;
    QTimer whenOpen;  // dies with this call: it cannot fire into a later test
    whenOpen.setSingleShot(true);
    whenOpen.callOnTimeout([&] {
      auto* dialog = qobject_cast<Shown*>(QApplication::activeModalWidget());
      if (!dialog) return;
      opened = true;
      work(*dialog);
      if (dialog->isVisible()) {
        ADD_FAILURE() << "the dialog stayed open";
        dialog->reject();
      }
    });
    whenOpen.start(0);
    Dialog().ExecuteCommand(command);
    return opened;
  }

  CCmdTree& Tree() { return Dialog().Tree(); }
  ItemHandle Top(int i) { return CCmdTree::HandleOf(Tree().topLevelItem(i)); }
  CAttr& RecordOf(ItemHandle item) { return *Tree().Record(item); }
  bool Modified() {
    EXPECT_EQ(Work().IsModified(), Dialog().windowTitle().contains("(更新)"));
    return Work().IsModified();
  }

  void Connect(test::PseudoTerminal& device) {
    ASSERT_TRUE(device.IsValid());
    Work().Settings().portName = device.PortPath();
    Dialog().ExecuteCommand(kCmdConnect);
    ASSERT_TRUE(Work().IsConnected());
  }
  // What the device receives while the window goes on with its events (it answers there).
  static std::string ReadWhileWindowRuns(test::PseudoTerminal& device, std::size_t count) {
    std::string received;
    const bool complete = QTest::qWaitFor(
        [&] {
          received += device.Read(count - received.size(), 5ms);
          return received.size() >= count;
        },
        5000);
    EXPECT_TRUE(complete) << "received only \"" << received << '"';
    return received;
  }
  bool WaitForLines(int count) {
    return QTest::qWaitFor([&] { return Dialog().AnswerList().Count() >= count; }, 5000);
  }
};

TEST_F(SettingsCommandsTest, CommSettingsSavedWithoutAChangeLeaveEverything) {
  Fill("2,a;AT\n");
  const CommSettings before = Work().Settings();
  QString caption;
  ASSERT_TRUE(RunDialog<Cpropaty>(kCmdCommSettings, [&](Cpropaty& propaty) {
    caption = propaty.windowTitle();
    propaty.accept();
  }));
  EXPECT_EQ(caption, "Propaty 新規");
  EXPECT_EQ(Work().Settings(), before);
  EXPECT_FALSE(Modified());
}

TEST_F(SettingsCommandsTest, NewCommSettingsConvertEveryItemAgainAndMarkTheFile) {
  Fill("2,a;AT\n2,b;ATZ\n");
  Work().Settings().hexInputDefault = 1;
  ASSERT_TRUE(RunDialog<Cpropaty>(kCmdCommSettings, [](Cpropaty& propaty) {
    Child<QComboBox>(propaty, "sendTerminator").setCurrentIndex(1);  // LF
    Child<QComboBox>(propaty, "baud").setEditText("19200");
    propaty.accept();
  }));
  EXPECT_EQ(Work().Settings().sendTerminatorName, "LF");
  EXPECT_EQ(Work().Settings().baudRate, 19200);
  EXPECT_EQ(RecordOf(Top(0)).sendBytes, "AT\n");
  EXPECT_EQ(RecordOf(Top(1)).sendBytes, "ATZ\n");
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdSendHex));
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdReceiveHex));
  EXPECT_TRUE(Modified());

  ASSERT_TRUE(RunDialog<Cpropaty>(kCmdCommSettings, [](Cpropaty& propaty) {
    Child<QComboBox>(propaty, "baud").setEditText("0");
    propaty.reject();
  }));
  EXPECT_EQ(Work().Settings().baudRate, 19200) << "cancelled";
}

TEST_F(SettingsCommandsTest, ANewSeparatorSplitsEveryLineAgain) {
  test::TempDir dir;
  Fill("2,a;AT/1\n2,b/x;ATZ\n2,heading\n");
  ui_.fileAnswers.push_back(QString::fromStdString(dir.File("機器.vxp")));
  Dialog().ExecuteCommand(kCmdSaveAs);
  ASSERT_FALSE(Modified());

  QString caption;
  ASSERT_TRUE(RunDialog<CFilePropaty>(kCmdEditSettings, [&](CFilePropaty& dialog) {
    caption = dialog.windowTitle();
    dialog.accept();
  }));
  EXPECT_EQ(caption, "編集の設定 機器");
  EXPECT_FALSE(Modified()) << "OK without a change";

  ASSERT_TRUE(RunDialog<CFilePropaty>(kCmdEditSettings, [](CFilePropaty& dialog) {
    Child<QLineEdit>(dialog, "separator").setText("/");
    dialog.accept();
  }));
  EXPECT_EQ(Work().Settings().separator, "/");
  const CAttr& first = RecordOf(Top(0));
  EXPECT_EQ(first.sendDescription, "a;AT");
  EXPECT_EQ(first.sendText, "1");
  EXPECT_EQ(first.sendBytes, "1\r\n");
  EXPECT_EQ(first.label, "a;AT/1") << "lines keep their text";
  const CAttr& second = RecordOf(Top(1));
  EXPECT_EQ(second.sendDescription, "b");
  EXPECT_EQ(second.sendText, "x;ATZ");
  EXPECT_EQ(RecordOf(Top(2)).sendKind, kKindNone);
  EXPECT_TRUE(Modified());
}

TEST_F(SettingsCommandsTest, EditSettingsSetCheckMarksButNeverClearThem) {
  Fill("2,a;AT\n");
  Work().Settings().hexInputDefault = 1;
  Dialog().SetCommandCheck(kCmdSendHex, true);
  ASSERT_TRUE(RunDialog<CFilePropaty>(kCmdEditSettings, [](CFilePropaty& dialog) {
    Child<QCheckBox>(dialog, "hexInput").click();
    Child<QCheckBox>(dialog, "hexDisplay").click();
    Child<QCheckBox>(dialog, "useEscapes").click();
    dialog.accept();
  }));
  EXPECT_EQ(Work().Settings().hexInputDefault, 0);
  EXPECT_EQ(Work().Settings().hexDisplayDefault, 1);
  EXPECT_EQ(Work().Settings().useEscapes, 1);
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdSendHex));
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdReceiveHex));
}

TEST_F(SettingsCommandsTest, EscapesSwitchedOnMakeABadEscapeInvalid) {
  Fill("2,a;AT\\q\n2,b;AT\\r\n");
  ASSERT_EQ(RecordOf(Top(0)).sendBytes, "AT\\q\r\n") << "sent as typed";
  ASSERT_TRUE(RunDialog<CFilePropaty>(kCmdEditSettings, [](CFilePropaty& dialog) {
    Child<QCheckBox>(dialog, "useEscapes").click();
    dialog.accept();
  }));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "無効なﾃﾞｰﾀがあったので削除しました。");
  EXPECT_EQ(RecordOf(Top(0)).sendKind, kKindNone);
  EXPECT_EQ(RecordOf(Top(0)).sendBytes, "");
  EXPECT_EQ(RecordOf(Top(1)).sendBytes, "AT\r\r\n") << "decoded now";
  EXPECT_TRUE(Modified());
}

TEST_F(SettingsCommandsTest, ItemDetailsWriteTheItemBack) {
  Fill("2,a;AT\n2,b;ATZ\n");
  Tree().SelectItem(Top(1));
  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) { dialog.accept(); }));
  EXPECT_FALSE(Modified()) << "nothing was changed";

  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) {
    EXPECT_EQ(Child<QLineEdit>(dialog, "sendText").text(), "ATZ");
    Child<QLineEdit>(dialog, "sendText").setText("0102");
    Child<QCheckBox>(dialog, "sendHex").click();
    Child<QLineEdit>(dialog, "period").setText("250");
    dialog.accept();
  }));
  const CAttr& item = RecordOf(Top(1));
  EXPECT_EQ(item.label, "b;0102");
  EXPECT_EQ(Tree().topLevelItem(1)->text(0), "b;0102");
  EXPECT_EQ(item.sendKind, kKindHex);
  EXPECT_EQ(item.sendBytes, "\x01\x02\r\n");
  EXPECT_EQ(item.repeatPeriod, 250);
  EXPECT_EQ(item.repeatTimerId, 0u) << "no timer while disconnected";
  EXPECT_EQ(ImageOf(Top(1)), CCmdTree::kImageHex);
  EXPECT_TRUE(Modified());

  // Emptied data: a heading whose line splits back into the description and no data.
  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) {
    Child<QLineEdit>(dialog, "sendText").clear();
    dialog.accept();
  }));
  EXPECT_EQ(item.label, "b;");
  EXPECT_EQ(item.sendKind, kKindNone);
  EXPECT_EQ(item.sendBytes, "");
  EXPECT_EQ(ImageOf(Top(1)), CCmdTree::kImageHeading);
  Work().RevalidateItems();
  EXPECT_EQ(item.sendText, "");
  EXPECT_EQ(item.sendDescription, "b");
}

TEST_F(SettingsCommandsTest, ItemDetailsNeedASelectedItem) {
  EXPECT_FALSE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) { dialog.reject(); }));
}

// Keeps the rows it is given, as the command list window would show them.
class RowRecorder : public CommandListView {
 public:
  bool IsShown() const override { return true; }
  void AddRow(ItemHandle item, const CAttr& record) override {
    rows.push_back({item, record.sendText});
  }
  bool RemoveRow(ItemHandle item) override {
    return std::erase_if(rows, [&](const auto& row) { return row.first == item; }) != 0;
  }
  void RemoveAllRows() override { rows.clear(); }
  void SetFileTitle(const std::string&) override {}

  std::vector<std::pair<ItemHandle, std::string>> rows;
};

TEST_F(SettingsCommandsTest, ItemDetailsReplaceTheItemsRowInTheCommandList) {
  RowRecorder list;
  Work().SetCommandList(&list);
  Fill("2,a;AT\n2,b;ATZ\n");
  ASSERT_EQ(list.rows.size(), 2u);
  Tree().SelectItem(Top(0));
  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) {
    Child<QLineEdit>(dialog, "sendText").setText("ATH");
    dialog.accept();
  }));
  using Row = std::pair<ItemHandle, std::string>;
  EXPECT_EQ(list.rows, (std::vector<Row>{{Top(1), "ATZ"}, {Top(0), "ATH"}}));
  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) {
    Child<QLineEdit>(dialog, "sendText").clear();
    dialog.accept();
  }));
  EXPECT_EQ(list.rows, (std::vector<Row>{{Top(1), "ATZ"}})) << "a heading has no row";
  Work().SetCommandList(nullptr);
}

TEST_F(SettingsCommandsTest, WhileConnectedNewTerminatorsTakeEffectAtOnce) {
  Fill("2,a;AT\n");
  test::PseudoTerminal device;
  Connect(device);
  Tree().SelectItem(Top(0));
  device.Write("x\ny\r\n");
  ASSERT_TRUE(WaitForLines(1));

  ASSERT_TRUE(RunDialog<Cpropaty>(kCmdCommSettings, [](Cpropaty& propaty) {
    for (const char* greyed : {"port", "baud", "stopBits", "parity", "dataBits", "timeout"}) {
      EXPECT_FALSE(Child<QWidget>(propaty, greyed).isEnabled()) << greyed;
    }
    Child<QComboBox>(propaty, "receiveTerminator").setEditText("LF");
    Child<QComboBox>(propaty, "sendTerminator").setEditText("\\x03");
    propaty.accept();
  }));
  EXPECT_EQ(Work().Settings().receiveTerminator, "\n");
  EXPECT_TRUE(Work().IsConnected()) << "no reconnect";
  EXPECT_EQ(RecordOf(Top(0)).sendBytes, "AT\x03");
  Dialog().ExecuteCommand(kCmdSend);
  EXPECT_EQ(device.Read(3, 2s), "AT\x03");
  device.Write("p\nq\n");
  ASSERT_TRUE(WaitForLines(3));
  EXPECT_EQ(Dialog().AnswerList().ShownText(1), "p");
  EXPECT_EQ(Dialog().AnswerList().ShownText(2), "q");

  // Without a terminator the link itself cuts records of the new length.
  ASSERT_TRUE(RunDialog<Cpropaty>(kCmdCommSettings, [](Cpropaty& propaty) {
    Child<QComboBox>(propaty, "receiveTerminator").setCurrentIndex(3);  // なし
    Child<QLineEdit>(propaty, "recordLength").setText("4");
    propaty.accept();
  }));
  device.Write("abcdefgh");
  ASSERT_TRUE(WaitForLines(5));
  EXPECT_EQ(Dialog().AnswerList().ShownText(3), "abcd");
  EXPECT_EQ(Dialog().AnswerList().ShownText(4), "efgh");
  App().Link().Disconnect();
}

TEST_F(SettingsCommandsTest, WhileConnectedDetailsStartThePeriodAndTheAnswerAtOnce) {
  Fill("2,poll;AT\n2,answer;ATA\n");
  test::PseudoTerminal device;
  Connect(device);
  Tree().SelectItem(Top(0));
  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) {
    Child<QLineEdit>(dialog, "period").setText("20");
    dialog.accept();
  }));
  EXPECT_NE(RecordOf(Top(0)).repeatTimerId, 0u);
  EXPECT_EQ(device.Read(12, 2s), "AT\r\nAT\r\nAT\r\n") << "sent again and again";

  Tree().SelectItem(Top(1));
  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) {
    Child<QLineEdit>(dialog, "receiveText").setText("RING");
    Child<QLineEdit>(dialog, "delay").setText("5");
    dialog.accept();
  }));
  // The period item stops; what is left is the answer to RING.
  Tree().SelectItem(Top(0));
  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) {
    Child<QLineEdit>(dialog, "period").setText("0");
    dialog.accept();
  }));
  EXPECT_EQ(RecordOf(Top(0)).repeatTimerId, 0u);
  device.ReadUntilQuiet(100ms);
  device.Write("RING\r\n");
  EXPECT_EQ(ReadWhileWindowRuns(device, 5), "ATA\r\n");

  // Its answer cleared, the item answers no more.
  Tree().SelectItem(Top(1));
  ASSERT_TRUE(RunDialog<CCmdAttr>(kCmdItemDetails, [](CCmdAttr& dialog) {
    Child<QLineEdit>(dialog, "receiveText").clear();
    dialog.accept();
  }));
  EXPECT_EQ(RecordOf(Top(1)).receiveLength(), 0);
  device.Write("RING\r\n");
  ASSERT_TRUE(WaitForLines(2)) << "RING arrived";
  QTest::qWait(100);
  EXPECT_EQ(device.ReadUntilQuiet(50ms), "");
  App().Link().Disconnect();
}

}  // namespace
}  // namespace vexa
