// SPDX-License-Identifier: GPL-3.0-or-later
// Connecting, sending and receiving through the real main window, with a pseudo-terminal as
// the device.

#include "gui/features/LinkControl.h"

#include <sys/stat.h>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/files/CommandFile.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/seam/QtText.h"
#include "support/MainWindowFixture.h"
#include "support/PluggedDevice.h"
#include "support/PseudoTerminal.h"
#include "support/Ser2net.h"
#include "support/TempDir.h"

namespace vexa {
namespace {

using namespace std::chrono_literals;

class LinkControlTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Start();
    Work().Settings().portName = device_.PortPath();
  }

  // Builds the tree from item lines of the current form.
  void LoadItems(const std::string& lines) {
    CommSettings current = Work().Settings();
    current.formatTag = kCurrentFormatTag;
    LoadItemsFromText(Dialog().Tree(), Utf8ToCp932(lines), current);
  }
  QTreeWidgetItem* TopItem(int i) { return Dialog().Tree().topLevelItem(i); }

  void Connect() {
    Dialog().ExecuteCommand(kCmdConnect);
    ASSERT_TRUE(Work().IsConnected()) << "port " << device_.PortPath();
  }
  void Type(const QString& text) { Dialog().CommandBox().setEditText(text); }
  void Send() { Dialog().ExecuteCommand(kCmdSend); }
  std::string AtDevice(std::size_t count) { return device_.Read(count, 5s); }
  // Lets the window take what the device sent.
  bool WaitForLines(int count) {
    return QTest::qWaitFor([&] { return Dialog().AnswerList().Count() >= count; }, 5000);
  }
  QString Line(int i) { return Dialog().AnswerList().ShownText(i); }
  QString LastMessage() const {
    return ui_.messages.empty() ? QString() : ui_.messages.back().text;
  }

  test::PseudoTerminal device_;
  test::TempDir dir_;
};

TEST_F(LinkControlTest, ConnectAndDisconnectSwitchCaptionCommandsAndCommandBox) {
  const int enabledWhenConnected[] = {kCmdDisconnect, kCmdSend};
  const int greyWhenConnected[] = {kCmdConnect,     kCmdOpenFile,        kCmdNewFile,
                                   kCmdRecentFile0, kCmdRecentFile0 + 4, kCmdDefaultSet};
  EXPECT_FALSE(Dialog().CommandBox().isEnabled());
  Work().Settings().baudRate = 19200;
  Connect();
  EXPECT_EQ(Dialog().windowTitle(),
            "Vexa " + QString::fromStdString(device_.PortPath()) + ":19200bps");
  EXPECT_TRUE(Dialog().CommandBox().isEnabled());
  for (int id : enabledWhenConnected) EXPECT_TRUE(Dialog().IsCommandEnabled(id)) << id;
  for (int id : greyWhenConnected) EXPECT_FALSE(Dialog().IsCommandEnabled(id)) << id;
  EXPECT_EQ(Work().Session().State(), ReceiveState::kRunning);

  Dialog().ExecuteCommand(kCmdDisconnect);
  EXPECT_FALSE(Work().IsConnected());
  EXPECT_EQ(Dialog().windowTitle(), "Vexa");
  EXPECT_FALSE(Dialog().CommandBox().isEnabled());
  for (int id : enabledWhenConnected) EXPECT_FALSE(Dialog().IsCommandEnabled(id)) << id;
  for (int id : greyWhenConnected) EXPECT_TRUE(Dialog().IsCommandEnabled(id)) << id;
  EXPECT_FALSE(Work().Session().IsOpen());
}

TEST_F(LinkControlTest, FailedOpenChangesNothing) {
  Work().Settings().portName = "/nonexistent/tty";
  Dialog().ExecuteCommand(kCmdConnect);
  EXPECT_FALSE(Work().IsConnected());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "\"/nonexistent/tty\"がｵｰﾌﾟﾝできません。");
  EXPECT_EQ(ui_.messages[0].caption, "Vexa");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kStop);
  EXPECT_EQ(Dialog().windowTitle(), "Vexa");
  EXPECT_FALSE(Dialog().CommandBox().isEnabled());
  EXPECT_TRUE(Dialog().IsCommandEnabled(kCmdConnect));
  EXPECT_FALSE(Dialog().IsCommandEnabled(kCmdDisconnect));
}

TEST_F(LinkControlTest, SendingWhileDisconnectedOnlyBeeps) {
  Dialog().CommandBox().setEnabled(true);
  Type("AT");
  Send();
  QTest::keyClick(&Dialog().Tree(), Qt::Key_Return);
  EXPECT_EQ(ui_.beeps, 2);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(Dialog().CommandBox().count(), 0) << "nothing was sent";
}

TEST_F(LinkControlTest, SendsTypedTextAndHexWithTheTerminator) {
  Work().Settings().useEscapes = 1;
  Connect();
  Type("AT\\r");
  Send();
  EXPECT_EQ(AtDevice(5), "AT\r\r\n");
  Send();  // the box keeps its text
  EXPECT_EQ(AtDevice(5), "AT\r\r\n");
  Dialog().ExecuteCommand(kCmdSendHex);
  Type("41420d");
  Send();
  EXPECT_EQ(AtDevice(5), "AB\r\r\n");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(LinkControlTest, ConversionErrorsAreReportedAndSendNothing) {
  Work().Settings().useEscapes = 1;
  Connect();
  Type("A\\q");
  Send();
  EXPECT_EQ(LastMessage(), "「A\\q」 ｴｽｹｰﾌﾟｼｰｹﾝｽの誤りです。");
  EXPECT_EQ(ui_.messages.back().caption, "送信ｴﾗｰ");
  Dialog().ExecuteCommand(kCmdSendHex);
  Type("0123456789ABCDEF0123456789XY");
  Send();
  EXPECT_EQ(LastMessage(), "「0123456789ABCDEF0123......」 は16進数にできません。")
      << "20 bytes shown";
  Type("GG");
  Send();
  EXPECT_EQ(LastMessage(), "「GG」 は16進数にできません。");
  EXPECT_EQ(Dialog().CommandBox().count(), 0) << "nothing was sent, so nothing is remembered";
  EXPECT_EQ(device_.Read(64, 200ms), "");
  EXPECT_TRUE(Work().IsConnected());
}

TEST_F(LinkControlTest, HistoryKeepsOneEntryPerTextNewestFirstWithItsKind) {
  Connect();
  Type("at");
  Send();
  Type("AT");
  Send();
  CComboBoxSum& box = Dialog().CommandBox();
  ASSERT_EQ(box.count(), 1) << "case-insensitive match";
  EXPECT_EQ(box.itemText(0), "AT");
  EXPECT_EQ(box.itemData(0).toInt(), kKindText);
  Dialog().ExecuteCommand(kCmdSendHex);
  Type("4142");
  Send();
  ASSERT_EQ(box.count(), 2);
  EXPECT_EQ(box.itemText(0), "4142");
  EXPECT_EQ(box.itemData(0).toInt(), kKindHex);
  // Choosing an entry sets 送信ﾍｷｻ from its kind.
  box.setCurrentIndex(1);
  emit box.activated(1);
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdSendHex));
  emit box.activated(0);
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdSendHex));
  AtDevice(12);
}

// Sending an entry again moves it to the top; the box shows it, and its undo still brings
// back what the box showed before the entry was chosen.
TEST_F(LinkControlTest, ResendingAnEntryKeepsTheBoxAndItsUndo) {
  Connect();
  CComboBoxSum& box = Dialog().CommandBox();
  for (const char* text : {"AT1", "AT2", "AT3"}) {
    box.lineEdit()->selectAll();
    QTest::keyClicks(box.lineEdit(), text);
    Send();
  }
  ASSERT_EQ(box.count(), 3);
  box.setCurrentIndex(2);
  emit box.activated(2);
  ASSERT_EQ(box.currentText(), "AT1");
  Send();
  EXPECT_EQ(AtDevice(20), "AT1\r\nAT2\r\nAT3\r\nAT1\r\n");
  EXPECT_EQ(box.itemText(0), "AT1");
  EXPECT_EQ(box.count(), 3);
  EXPECT_EQ(box.currentText(), "AT1");
  box.Undo();
  EXPECT_EQ(box.currentText(), "AT3");
}

TEST_F(LinkControlTest, SelectedItemGoesToTheCommandBoxAndIsSentWhenTheBoxIsEmpty) {
  LoadItems("2,2,hex;4142\n2,1,text;ATZ\n2,0,heading\n");
  Dialog().Tree().setCurrentItem(TopItem(1));
  EXPECT_EQ(Dialog().CommandBox().currentText(), "") << "not while disconnected";
  Connect();
  Dialog().Tree().setCurrentItem(TopItem(0));
  EXPECT_EQ(Dialog().CommandBox().currentText(), "4142");
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdSendHex));
  Dialog().Tree().setCurrentItem(TopItem(1));
  EXPECT_EQ(Dialog().CommandBox().currentText(), "ATZ");
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdSendHex));

  Type("");
  Send();
  EXPECT_EQ(AtDevice(5), "ATZ\r\n");
  EXPECT_EQ(Dialog().CommandBox().currentText(), "") << "a text new to the list leaves the box";
  Dialog().Tree().setCurrentItem(TopItem(2));
  Type("");
  Send();
  Dialog().Tree().setCurrentItem(nullptr);
  Type("");
  Send();
  EXPECT_EQ(device_.Read(16, 200ms), "") << "a heading and no selection send nothing";
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(LinkControlTest, DoubleClickSendsTheItemWhileConnected) {
  LoadItems("2,1,hello;ATI0\n");
  Connect();
  const QPoint centre = Dialog().Tree().visualItemRect(TopItem(0)).center();
  QTest::mouseClick(Dialog().Tree().viewport(), Qt::LeftButton, {}, centre);
  Type("");  // the click put the item's data into the box; sending it again is the same
  QTest::mouseDClick(Dialog().Tree().viewport(), Qt::LeftButton, {}, centre);
  EXPECT_EQ(AtDevice(6), "ATI0\r\n");
  EXPECT_EQ(Dialog().CommandBox().itemText(0), "ATI0") << "remembered in the history";
}

TEST_F(LinkControlTest, ReceivedLinesAsTextAndHex) {
  Work().Settings().receiveTimeout = 50;
  Connect();
  device_.Write(std::string("OK\r\nA\0B\r\n\r\n", 11));
  ASSERT_TRUE(WaitForLines(3));
  EXPECT_EQ(Line(0), "OK");
  EXPECT_EQ(Line(1), "A.B");
  EXPECT_EQ(Line(2), "") << "a terminator alone is an empty line";
  device_.Write("half");
  ASSERT_TRUE(WaitForLines(4)) << "delivered whole after the time-out";
  EXPECT_EQ(Line(3), "half");
  Dialog().ExecuteCommand(kCmdReceiveHex);
  device_.Write(std::string("OK\r\n\0\r\n", 7));
  ASSERT_TRUE(WaitForLines(6));
  EXPECT_EQ(Line(4), "4f4b0d0a");
  EXPECT_EQ(Line(5), "000d0a");
}

TEST_F(LinkControlTest, AutomaticAnswersAfterTheirDelays) {
  LoadItems("0,12801,ring;RING\n2,1,answer;ATA\n0,76801,ri;RI\n2,1,hang up;ATH\n");
  Connect();
  device_.Write("RING\r\n");
  ASSERT_TRUE(WaitForLines(1));
  EXPECT_EQ(AtDevice(5), "ATA\r\n") << "after 50 ms";
  EXPECT_EQ(AtDevice(5), "ATH\r\n") << "after 300 ms";
}

TEST_F(LinkControlTest, PeriodicSendsOnlyWhileConnected) {
  LoadItems("2,25601,poll;AT\n");  // every 100 ms
  Connect();
  EXPECT_EQ(AtDevice(12), "AT\r\nAT\r\nAT\r\n");
  Dialog().ExecuteCommand(kCmdDisconnect);
  device_.ReadUntilQuiet(50ms);
  EXPECT_EQ(device_.Read(4, 400ms), "");
}

TEST_F(LinkControlTest, AWriteThatNeverEndsIsReportedAndDisconnects) {
  // A device that reads nothing: the periodic writes fill the line and the next one gives up.
  LoadItems("2,2561,flood;" + std::string(4000, 'x') + "\n");  // every 10 ms
  Connect();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Work().IsConnected(); }, 15000));
  EXPECT_EQ(LastMessage(), "異常が発生したので通信を終了します(1)。");
  EXPECT_EQ(ui_.messages.back().caption, "Vexa");
  EXPECT_EQ(ui_.messages.size(), 1u) << "reported once";
  EXPECT_FALSE(Work().Session().IsOpen());
}

TEST_F(LinkControlTest, ManualSendsLeaveTheWindowFreeAndKeepTheirOrder) {
  // 20,000 bytes are far more than the line holds while the device reads nothing; at 115200
  // bps the write gives up after about 3.7 s.
  const std::string big(20000, 'x');
  LoadItems("2,1,big;" + big + "\n");
  Work().Settings().baudRate = 115200;
  Connect();
  // The event loop runs while the writes wait: the window is not the one waiting.
  const auto sendBothAndTick = [&] {
    bool tickedWhileWriting = false;
    QTimer::singleShot(50,
                       [&] { tickedWhileWriting = Work().IsConnected() && ui_.messages.empty(); });
    Dialog().Tree().setCurrentItem(TopItem(0));
    Type("");
    Send();
    Type("AT");
    Send();
    return QTest::qWaitFor([&] { return tickedWhileWriting; }, 1000);
  };
  ASSERT_TRUE(sendBothAndTick());
  EXPECT_EQ(AtDevice(big.size() + 6), big + "\r\nAT\r\n") << "in the order sent";

  ASSERT_TRUE(sendBothAndTick()) << "a device that never reads";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Work().IsConnected(); }, 15000));
  EXPECT_EQ(LastMessage(), "異常が発生したので通信を終了します(1)。");
  EXPECT_EQ(ui_.messages.size(), 1u) << "reported once";
}

TEST_F(LinkControlTest, DeviceLossReportsAndDisconnectsKeepingWhatCameBefore) {
  const std::string log = dir_.File("loss.log");
  ui_.fileAnswers.push_back(QString::fromStdString(log));
  Dialog().ExecuteCommand(kCmdLog);
  Connect();
  device_.Write("one\r\ntwo\r\nthree\r\n");
  ASSERT_TRUE(WaitForLines(3));
  // A pseudo-terminal's hang-up throws away what its other side has not read yet, so the
  // device goes only once everything it sent has arrived.
  device_.CloseDevice();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Work().IsConnected(); }, 5000));
  EXPECT_EQ(LastMessage(), "異常が発生したので通信を終了します(2)。");
  EXPECT_EQ(ui_.messages.back().icon, ui::Icon::kStop);
  EXPECT_EQ(Line(2), "three");
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdLog)) << "the log outlives the connection";
  Dialog().ExecuteCommand(kCmdLog);
  EXPECT_EQ(test::ReadFile(log), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(LinkControlTest, ReconnectsWhenTheDeviceComesBackAndDisconnectEndsTheWait) {
  test::PluggedDevice plugged(dir_.File("usb-Maker_Adapter_0001-if00-port0"));
  Work().Settings().portName = plugged.Path();
  LoadItems("2,25601,poll;P\n0,2561,ring;RING\n2,1,answer;ATA\n");  // P every 100 ms
  const auto seenAtDevice = [&](const std::string& text) {
    std::string seen;
    return QTest::qWaitFor(
        [&] { return (seen += plugged.Device().Read(1, 10ms)).find(text) != std::string::npos; },
        5000);
  };

  const QString status = "再接続待ち(" + QString::fromStdString(plugged.Path()) + ") 記録中(r.log)";
  ui_.fileAnswers.push_back(QString::fromStdString(dir_.File("r.log")));
  Dialog().ExecuteCommand(kCmdLog);
  Dialog().ExecuteCommand(kCmdReconnect);
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdReconnect));
  EXPECT_EQ(App().Prefs().ReadReconnect(), true);
  Connect();
  ASSERT_TRUE(seenAtDevice("P\r\n"));
  plugged.Device().Write("one\r\ntwo\r\n");
  ASSERT_TRUE(WaitForLines(2));
  plugged.Unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Dialog().StatusText().text() == status; }, 5000))
      << Dialog().StatusText().text().toStdString();
  EXPECT_TRUE(Work().IsConnected());
  const int beeps = ui_.beeps;
  Type("AT");
  Send();
  EXPECT_EQ(ui_.beeps, beeps + 1) << "nothing to send to while waiting";
  plugged.Plug();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return Dialog().StatusText().text() == "記録中(r.log)"; }, 5000));
  EXPECT_TRUE(ui_.messages.empty()) << "no message";
  ASSERT_TRUE(seenAtDevice("P\r\n")) << "periodic sends resume";
  plugged.Device().Write("RING\r\n");
  ASSERT_TRUE(seenAtDevice("ATA\r\n")) << "automatic answers resume";
  plugged.Device().Write("three\r\n");
  ASSERT_TRUE(WaitForLines(5));
  EXPECT_TRUE(QRegularExpression("^--- 再接続 \\d\\d:\\d\\d:\\d\\d ---$").match(Line(2)).hasMatch())
      << Line(2).toStdString();
  EXPECT_EQ(Dialog().AnswerList().OriginOf(2), RecordOrigin::kReceived) << "plain: no sent lines";
  EXPECT_EQ(Line(4), "three");

  plugged.Unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Dialog().StatusText().text() == status; }, 5000));
  Dialog().ExecuteCommand(kCmdDisconnect);
  EXPECT_FALSE(Work().IsConnected());
  EXPECT_EQ(Dialog().StatusText().text(), "記録中(r.log)");
  plugged.Plug();
  EXPECT_EQ(plugged.Device().Read(1, 700ms), "") << "no longer waiting: nothing is sent";
  Dialog().ExecuteCommand(kCmdLog);
  EXPECT_EQ(test::ReadFile(dir_.File("r.log")), "one\r\ntwo\r\nRING\r\nthree\r\n");
}

TEST_F(LinkControlTest, APortOnAnotherMachineWorksLikeALocalOneUntilItsServerGoes) {
  test::Ser2net server(device_.PortPath());
  ASSERT_TRUE(server.Running());
  Work().Settings().portName = server.Rfc2217Name();
  Connect();
  EXPECT_EQ(Dialog().windowTitle(),
            "Vexa " + QString::fromStdString(server.Rfc2217Name()) + ":9600bps");
  Type("AT");
  Send();
  EXPECT_EQ(AtDevice(4), "AT\r\n");
  device_.Write("OK\r\n");
  ASSERT_TRUE(WaitForLines(1));
  EXPECT_EQ(Line(0), "OK");
  server.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Work().IsConnected(); }, 5000));
  EXPECT_EQ(LastMessage(), "異常が発生したので通信を終了します(2)。");
}

TEST_F(LinkControlTest, LogHoldsTheRawBytesAcrossReconnectsAndHexMode) {
  const std::string log = dir_.File("a.log");
  test::WriteFile(log, "replaced");
  App().Prefs().WriteLogName(dir_.File("old/last.log"));
  App().Link().ReadLogName();
  ui_.fileAnswers.push_back(QString::fromStdString(log));
  Dialog().ExecuteCommand(kCmdLog);
  ASSERT_EQ(ui_.fileRequests.size(), 1u);
  EXPECT_EQ(ui_.fileRequests[0].initialName, "*.log");
  EXPECT_EQ(ui_.fileRequests[0].filter, "ﾛｸﾞﾌｧｲﾙ (*.log)");
  EXPECT_EQ(ui_.fileRequests[0].folder, QString::fromStdString(dir_.File("old")));
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdLog));
  EXPECT_EQ(Dialog().StatusText().text(), "記録中(a.log)");

  Connect();
  device_.Write(std::string("A\0\r\n", 4));
  ASSERT_TRUE(WaitForLines(1));
  Dialog().ExecuteCommand(kCmdDisconnect);
  Dialog().ExecuteCommand(kCmdReceiveHex);
  Connect();
  Dialog().ExecuteCommand(kCmdReceiveHex);
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdReceiveHex));
  device_.Write("B\r\n");
  ASSERT_TRUE(WaitForLines(1));
  EXPECT_EQ(Line(0), "420d0a");
  Dialog().ExecuteCommand(kCmdLog);
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdLog));
  EXPECT_EQ(Dialog().StatusText().text(), "");
  EXPECT_EQ(test::ReadFile(log), std::string("A\0\r\nB\r\n", 7));
}

TEST_F(LinkControlTest, LogThatCannotBeCreatedOrWrittenEnds) {
  const std::string fifo = dir_.File("pipe.log");  // unread: opening it to write would wait
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {dir_.File("missing/x.log"), fifo}) {
    ui_.fileAnswers.push_back(QString::fromStdString(path));
    Dialog().ExecuteCommand(kCmdLog);
    EXPECT_EQ(LastMessage(), "ﾛｸﾞﾌｧｲﾙがｵｰﾌﾟﾝできません") << path;
    EXPECT_FALSE(Dialog().IsCommandChecked(kCmdLog));
    EXPECT_EQ(Dialog().StatusText().text(), "");
  }

  Dialog().ExecuteCommand(kCmdLog);  // cancelled: nothing changes
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdLog));

  ui_.fileAnswers.push_back(QStringLiteral("/dev/full"));
  Dialog().ExecuteCommand(kCmdLog);
  ASSERT_TRUE(Dialog().IsCommandChecked(kCmdLog));
  Connect();
  device_.Write("lost\r\n");
  ASSERT_TRUE(WaitForLines(1));
  EXPECT_EQ(Line(0), "lost") << "the line is still shown";
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdLog));
  EXPECT_EQ(Dialog().StatusText().text(), "");
}

TEST_F(LinkControlTest, DroppedDataIsShownAndForgottenAtTheNextConnect) {
  Connect();
  // The window is busy while the device floods the receive queue (4 MiB) and more.
  const std::string record(510, 'x');
  for (int i = 0; i < 10000; ++i) ASSERT_TRUE(device_.Write(record + "\r\n"));
  std::this_thread::sleep_for(500ms);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Dialog().AnswerList().Count() >= 127; }, 5000));
  EXPECT_TRUE(Dialog().StatusText().text().startsWith("受信ﾃﾞｰﾀ欠落 "))
      << Dialog().StatusText().text().toStdString();
  Dialog().ExecuteCommand(kCmdDisconnect);
  Connect();
  EXPECT_EQ(Dialog().StatusText().text(), "");
}

}  // namespace
}  // namespace vexa
