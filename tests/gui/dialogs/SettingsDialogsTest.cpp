// SPDX-License-Identifier: GPL-3.0-or-later
// The three settings dialogs on their own: what they show, what they refuse and where the
// focus then goes, and the records they hand back.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "core/items/Label.h"
#include "gui/controls/CmdEditBox.h"
#include "gui/controls/PortComboBox.h"
#include "gui/dialogs/CmdAttr.h"
#include "gui/dialogs/FilePropaty.h"
#include "gui/dialogs/Propaty.h"
#include "gui/seam/QtText.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

namespace vexa {
namespace {

template <typename Control = QWidget>
Control& Child(QWidget& dialog, const char* name) {
  auto* control = dialog.findChild<Control*>(QString::fromLatin1(name));
  if (!control) throw std::runtime_error(name);
  return *control;
}

// Text in a line edit, or typed into an editable combo box.
void Enter(QWidget& dialog, const char* name, const QString& text) {
  QWidget& control = Child(dialog, name);
  if (auto* combo = qobject_cast<QComboBox*>(&control)) {
    combo->setEditText(text);
  } else {
    static_cast<QLineEdit&>(control).setText(text);
  }
}

// Key presses that carry any character, as an input method delivers them.
void Type(QWidget& field, const QString& text) {
  for (const QChar c : text)
    QTest::sendKeyEvent(QTest::Click, &field, Qt::Key_unknown, QString(c), {});
}

bool HasFocus(QWidget& dialog, const char* name) {
  QWidget& control = Child(dialog, name);
  QWidget* focused = dialog.focusWidget();
  return focused && (focused == &control || control.isAncestorOf(focused));
}

// The controls Tab walks through from the one that has the focus when the dialog opens: each
// named by its object name, a button by its text.
QStringList TabOrder(QDialog& dialog, int steps) {
  dialog.activateWindow();
  if (!QTest::qWaitForWindowActive(&dialog)) return {"not active"};
  QStringList order;
  for (int i = 0; i < steps; ++i) {
    QWidget* control = dialog.focusWidget();
    while (control && control->parentWidget() != &dialog) control = control->parentWidget();
    if (!control) return order << "no focus";
    auto* button = qobject_cast<QAbstractButton*>(control);
    order << (button && control->objectName().isEmpty() ? button->text() : control->objectName());
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
  }
  return order;
}

QStringList Items(QComboBox& combo) {
  QStringList items;
  for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
  return items;
}

class DialogTest : public ::testing::Test {
 protected:
  // The latest message, which must have the question-mark icon and an OK button.
  void ExpectQuestion(const QString& text, const QString& caption, const char* context) {
    ASSERT_FALSE(ui_.messages.empty()) << context;
    EXPECT_EQ(ui_.messages.back().text, text) << context;
    EXPECT_EQ(ui_.messages.back().caption, caption) << context;
    EXPECT_EQ(ui_.messages.back().icon, ui::Icon::kQuestion) << context;
    EXPECT_EQ(ui_.messages.back().buttons, ui::Buttons::kOk) << context;
  }

  test::ScriptedUi ui_;
};

// ---- Cpropaty

class PropatyTest : public DialogTest {
 protected:
  void Open(const CommSettings& settings = kDefaultCommSettings, const QString& title = {},
            bool connected = false) {
    propaty_ = std::make_unique<Cpropaty>();
    propaty_->SetUp(settings, title, connected);
    propaty_->show();
  }
  Cpropaty& Dialog() { return *propaty_; }
  QComboBox& Combo(const char* name) { return Child<QComboBox>(*propaty_, name); }
  bool Accepted() { return propaty_->result() == QDialog::Accepted && !propaty_->isVisible(); }

  std::unique_ptr<Cpropaty> propaty_;
};

TEST_F(PropatyTest, ShowsTheRecordInItsListsWithTheCaption) {
  CommSettings settings;
  settings.parity = 4;
  settings.stopBits = 1;
  settings.baudRate = 115200;
  settings.portName = "COM3";
  settings.receiveTerminatorName = "\\x03";
  settings.receiveTerminator = "\x03";
  Open(settings, QStringLiteral("機器.vxp"));
  EXPECT_EQ(Dialog().windowTitle(), "Propaty 機器.vxp");
  EXPECT_EQ(Items(Combo("port")).mid(0, 8),
            (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));
  EXPECT_EQ(Items(Combo("baud")), (QStringList{"4800", "9600", "14400", "19200", "38400", "57600",
                                               "115200", "128000", "256000"}));
  EXPECT_EQ(Items(Combo("stopBits")), (QStringList{"1", "1.5", "2"}));
  EXPECT_EQ(Items(Combo("parity")), (QStringList{"なし", "odd", "even", "mark", "space"}));
  for (const char* terminator : {"sendTerminator", "receiveTerminator"}) {
    EXPECT_EQ(Items(Combo(terminator)), (QStringList{"CR", "LF", "CR+LF", "なし"}));
  }
  EXPECT_EQ(Combo("port").currentText(), "COM3");
  EXPECT_EQ(Combo("baud").currentText(), "115200");
  EXPECT_EQ(Combo("stopBits").currentText(), "1.5");
  EXPECT_EQ(Combo("parity").currentText(), "space");
  EXPECT_EQ(Combo("sendTerminator").currentText(), "CR+LF");
  EXPECT_EQ(Combo("receiveTerminator").currentText(), "\\x03");
  EXPECT_FALSE(Child(Dialog(), "recordLength").isEnabled()) << "a receive terminator is set";
  EXPECT_EQ(Child<QLineEdit>(Dialog(), "timeout").text(), "100");

  Open();
  EXPECT_EQ(Dialog().windowTitle(), "Propaty 新規");
}

TEST_F(PropatyTest, TabFollowsTheTemplatesOrderAndSkipsGreyedFields) {
  CommSettings settings;
  settings.receiveTerminatorName = "\x82\xC8\x82\xB5";  // なし
  settings.receiveTerminator.clear();
  Open(settings);
  EXPECT_EQ(TabOrder(Dialog(), 12),
            (QStringList{"port", "baud", "stopBits", "parity", "dataBits", "sendTerminator",
                         "receiveTerminator", "recordLength", "timeout", "保存", "ｷｬﾝｾﾙ", "port"}));
  Open(settings, {}, true);
  EXPECT_EQ(TabOrder(Dialog(), 6),
            (QStringList{"sendTerminator", "receiveTerminator", "recordLength", "保存", "ｷｬﾝｾﾙ",
                         "sendTerminator"}));
}

TEST_F(PropatyTest, SavingWithoutAChangeIsCancelling) {
  Open();
  Dialog().accept();
  EXPECT_EQ(Dialog().result(), QDialog::Rejected);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PropatyTest, TheFirstRefusedFieldIsNamedAndFocused) {
  struct Case {
    const char* field;
    const char* typed;
    const char* message;  // empty: focus only
    const char* caption;
  };
  const Case cases[] = {
      {"port", "COM9", "", ""},
      {"port", "dev/ttyUSB0", "", ""},
      {"baud", "0", "通信ﾚｰﾄは 256000 までです。", "通信ﾚｰﾄ"},
      {"baud", "300000", "通信ﾚｰﾄは 256000 までです。", "通信ﾚｰﾄ"},
      {"baud", "-9600", "通信ﾚｰﾄは 256000 までです。", "通信ﾚｰﾄ"},
      {"sendTerminator", "cr+lf", "", ""},
      {"receiveTerminator", "\\r\\n\\r", "", ""},
      {"receiveTerminator", "\\x0d\\x0a\\x00", "", ""},  // two bytes, but longer than a name
      {"recordLength", "0", "受信ﾚｺｰﾄﾞ長は１～ 512 までです。", "受信ﾚｺｰﾄﾞ長"},
      {"recordLength", "513", "受信ﾚｺｰﾄﾞ長は１～ 512 までです。", "受信ﾚｺｰﾄﾞ長"},
      {"recordLength", "-5", "受信ﾚｺｰﾄﾞ長は１～ 512 までです。", "受信ﾚｺｰﾄﾞ長"},
      {"dataBits", "3", "ﾃﾞｰﾀﾋﾞｯﾄ長は 4 ～ 8 までです。", "ﾃﾞｰﾀﾋﾞｯﾄ長"},
      {"dataBits", "9", "ﾃﾞｰﾀﾋﾞｯﾄ長は 4 ～ 8 までです。", "ﾃﾞｰﾀﾋﾞｯﾄ長"},
      {"dataBits", "5x", "整数を入力してください。", "Vexa"},
      {"timeout", "0", "受信ﾀｲﾑｱｳﾄは 1 ～ 5000 までです。", "受信ﾀｲﾑｱｳﾄ"},
      {"timeout", "5001", "受信ﾀｲﾑｱｳﾄは 1 ～ 5000 までです。", "受信ﾀｲﾑｱｳﾄ"},
  };
  for (const Case& c : cases) {
    const std::string context = std::string(c.field) + " " + c.typed;
    ui_.messages.clear();
    Open();
    // The record length counts only without a receive terminator.
    if (std::string(c.field) == "recordLength") Combo("receiveTerminator").setCurrentIndex(3);
    Enter(Dialog(), c.field, QString::fromUtf8(c.typed));
    Dialog().accept();
    EXPECT_TRUE(Dialog().isVisible()) << context << ": stays open";
    EXPECT_TRUE(HasFocus(Dialog(), c.field)) << context;
    if (*c.message) {
      ExpectQuestion(QString::fromUtf8(c.message), QString::fromUtf8(c.caption), context.c_str());
    } else {
      EXPECT_TRUE(ui_.messages.empty()) << context;
    }
  }
}

TEST_F(PropatyTest, TypedTextsAreTakenLikeChosenOnes) {
  Open();
  Enter(Dialog(), "port", "/dev/ttyUSB7");
  Enter(Dialog(), "baud", "9600bps");
  Enter(Dialog(), "sendTerminator", "CR+LF");
  Enter(Dialog(), "receiveTerminator", "\\x03");
  Dialog().accept();
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(Dialog().Settings().portName, "/dev/ttyUSB7");
  EXPECT_EQ(Dialog().Settings().baudRate, 9600);
  EXPECT_EQ(Dialog().Settings().sendTerminator, "\r\n");
  EXPECT_EQ(Dialog().Settings().receiveTerminatorName, "\\x03");
  EXPECT_EQ(Dialog().Settings().receiveTerminator, "\x03");
}

TEST_F(PropatyTest, OnlyNoReceiveTerminatorMakesTheRecordLengthEditable) {
  Open();
  QWidget& recordLength = Child(Dialog(), "recordLength");
  EXPECT_FALSE(recordLength.isEnabled());
  QComboBox& receive = Combo("receiveTerminator");
  receive.setCurrentIndex(3);
  EXPECT_TRUE(recordLength.isEnabled()) << "chosen";
  receive.setEditText("LF");
  EXPECT_FALSE(recordLength.isEnabled());
  receive.lineEdit()->clear();
  Type(*receive.lineEdit(), QStringLiteral("なし"));
  EXPECT_TRUE(recordLength.isEnabled()) << "typed";
  Enter(Dialog(), "recordLength", "64");
  Dialog().accept();
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(Dialog().Settings().receiveTerminator, "");
  EXPECT_EQ(Dialog().Settings().recordLength, 64);
}

TEST_F(PropatyTest, APortNameThatIsNotListedIsShownOnlyWhenItIsAPath) {
  CommSettings settings;
  settings.portName = "COM0";  // possible from a file
  Open(settings);
  EXPECT_EQ(Combo("port").currentText(), "");
  Enter(Dialog(), "timeout", "200");
  Dialog().accept();
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_TRUE(HasFocus(Dialog(), "port"));
  Combo("port").setCurrentIndex(1);
  Dialog().accept();
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(Dialog().Settings().portName, "COM2");

  settings.portName = "/dev/pts/77";
  Open(settings);
  EXPECT_EQ(Combo("port").currentText(), "/dev/pts/77");
}

TEST_F(PropatyTest, ThePortListIsReadAgainEachTimeItOpens) {
  const test::TempDir root;
  const DeviceRoots roots = {root.path() / "dev", root.path() / "sys"};
  const QString dev = QString::fromStdString(roots.dev.string());
  test::WriteFile(root.File("dev/ttyUSB0"), "");
  CommSettings settings;
  settings.portName = "/dev/pts/77";
  Open(settings);
  auto& port = Child<CPortComboBox>(Dialog(), "port");
  port.SetDeviceRoots(roots);
  port.showPopup();
  EXPECT_EQ(Items(port).mid(8), QStringList{dev + "/ttyUSB0"});
  port.hidePopup();

  // Plugged in while the dialog is open: an Arduino, a CDC modem.
  const std::filesystem::path usb = root.path() / "sys" / "devices" / "usb1" / "1-2";
  test::WriteFile((usb / "manufacturer").string(), "Arduino (www.arduino.cc)\n");
  test::WriteFile((usb / "idVendor").string(), "2341\n");
  std::filesystem::create_directories(usb / "1-2:1.0");
  std::filesystem::create_directories(roots.sysClassTty / "ttyACM0");
  std::filesystem::create_symlink(usb / "1-2:1.0", roots.sysClassTty / "ttyACM0" / "device");
  test::WriteFile(root.File("dev/ttyACM0"), "");
  port.showPopup();
  EXPECT_EQ(Items(port).mid(8), (QStringList{dev + "/ttyUSB0", dev + "/ttyACM0"}));
  EXPECT_EQ(port.itemData(9, CPortComboBox::kDescriptionRole), "Arduino (www.arduino.cc)");
  EXPECT_EQ(port.currentText(), "/dev/pts/77") << "the typed path stays";
  port.hidePopup();
  Dialog().accept();
  EXPECT_EQ(Dialog().result(), QDialog::Rejected) << "reading the devices changed nothing";

  Open(settings);
  Child<CPortComboBox>(Dialog(), "port").SetDeviceRoots(roots);
  Combo("port").showPopup();
  Combo("port").setCurrentIndex(9);
  Combo("port").hidePopup();
  Dialog().accept();
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(Dialog().Settings().portName, (dev + "/ttyACM0").toStdString()) << "the path, not "
                                                                               "its description";
}

TEST_F(PropatyTest, WhileConnectedOnlyTerminatorsAndRecordLengthCanChange) {
  CommSettings settings;
  settings.receiveTerminatorName = "\x82\xC8\x82\xB5";  // なし
  settings.receiveTerminator.clear();
  Open(settings, {}, true);
  for (const char* greyed : {"port", "baud", "stopBits", "parity", "dataBits", "timeout"}) {
    EXPECT_FALSE(Child(Dialog(), greyed).isEnabled()) << greyed;
  }
  for (const char* open : {"sendTerminator", "receiveTerminator", "recordLength"}) {
    EXPECT_TRUE(Child(Dialog(), open).isEnabled()) << open;
  }
}

// A file may bring line settings the checks refuse; connected, their fields cannot be
// corrected, so they must not stop the terminators from being saved.
TEST_F(PropatyTest, WhileConnectedGreyedSettingsAreKeptAsTheyAre) {
  CommSettings settings;
  settings.portName = "COM0";
  settings.dataBits = 9;
  settings.receiveTimeout = 0;
  Open(settings, {}, true);
  Combo("sendTerminator").setCurrentIndex(1);  // LF
  Enter(Dialog(), "dataBits", "7");            // greyed: not taken over
  Dialog().accept();
  ASSERT_TRUE(Accepted());
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(Dialog().Settings().sendTerminator, "\n");
  EXPECT_EQ(Dialog().Settings().portName, "COM0");
  EXPECT_EQ(Dialog().Settings().dataBits, 9);
  EXPECT_EQ(Dialog().Settings().receiveTimeout, 0);

  Open(settings, {}, true);
  Enter(Dialog(), "recordLength", "0");
  Dialog().accept();
  ExpectQuestion("受信ﾚｺｰﾄﾞ長は１～ 512 までです。", "受信ﾚｺｰﾄﾞ長", "still checked");
}

TEST_F(PropatyTest, EnterInATypedFieldSavesWithoutAddingToItsList) {
  Open();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog()));
  QLineEdit& typed = *Combo("baud").lineEdit();
  Combo("baud").setFocus();
  typed.selectAll();
  QTest::keyClicks(&typed, "19200");
  QTest::keyClick(&typed, Qt::Key_Return);
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(Dialog().Settings().baudRate, 19200);
  EXPECT_EQ(Combo("baud").count(), 9);
}

// ---- CFilePropaty

class FilePropatyTest : public DialogTest {
 protected:
  void Open(const CommSettings& settings = kDefaultCommSettings, const QString& name = {}) {
    dialog_ = std::make_unique<CFilePropaty>();
    dialog_->InitSettings(settings, name);
    dialog_->show();
  }
  CFilePropaty& Dialog() { return *dialog_; }
  QLineEdit& Separator() { return Child<QLineEdit>(*dialog_, "separator"); }
  QCheckBox& Box(const char* name) { return Child<QCheckBox>(*dialog_, name); }

  std::unique_ptr<CFilePropaty> dialog_;
};

TEST_F(FilePropatyTest, ShowsTheEditSettingsAndEndsAsCancelledWithoutAChange) {
  CommSettings settings;
  settings.hexDisplayDefault = 1;
  settings.separator = "/";
  Open(settings, QStringLiteral("at.vxp"));
  EXPECT_EQ(Dialog().windowTitle(), "編集の設定 at.vxp");
  EXPECT_EQ(Box("hexInput").text(), "送信ﾃﾞｰﾀの HEX 入力をﾃﾞﾌｫﾙﾄにする");
  EXPECT_EQ(Box("hexDisplay").text(), "受信ﾃﾞｰﾀの HEX 表示をﾃﾞﾌｫﾙﾄにする");
  EXPECT_EQ(Box("useEscapes").text(), "ﾃｷｽﾄ入力でｴｽｹｰﾌﾟ文字を使う");
  EXPECT_FALSE(Box("hexInput").isChecked());
  EXPECT_TRUE(Box("hexDisplay").isChecked());
  EXPECT_FALSE(Box("useEscapes").isChecked());
  EXPECT_EQ(Separator().text(), "/");
  Dialog().accept();
  EXPECT_EQ(Dialog().result(), QDialog::Rejected);

  Open();
  EXPECT_EQ(Dialog().windowTitle(), "編集の設定 新規");
  Box("useEscapes").click();
  Box("hexInput").click();
  Dialog().accept();
  ASSERT_EQ(Dialog().result(), QDialog::Accepted);
  EXPECT_EQ(Dialog().Settings().useEscapes, 1);
  EXPECT_EQ(Dialog().Settings().hexInputDefault, 1);
  EXPECT_EQ(Dialog().Settings().separator, ";");
}

TEST_F(FilePropatyTest, TabFollowsTheTemplatesOrder) {
  Open();
  EXPECT_EQ(TabOrder(Dialog(), 7), (QStringList{"hexInput", "hexDisplay", "useEscapes", "separator",
                                                "OK", "ｷｬﾝｾﾙ", "hexInput"}));
}

TEST_F(FilePropatyTest, TheSeparatorFieldKeepsOneSingleByteCharacterWithABeep) {
  Open();
  Separator().end(false);
  QTest::keyClicks(&Separator(), "/");
  EXPECT_EQ(Separator().text(), ";");
  EXPECT_EQ(Separator().selectedText(), ";") << "selected whole";
  EXPECT_EQ(ui_.beeps, 1);
  QTest::keyClicks(&Separator(), "/");  // replaces the selection
  EXPECT_EQ(Separator().text(), "/");
  EXPECT_EQ(ui_.beeps, 1);

  Separator().selectAll();
  Type(Separator(), QStringLiteral("あ"));
  EXPECT_EQ(Separator().text(), "/") << "a double-byte character is refused whole";
  EXPECT_EQ(ui_.beeps, 2);
  Separator().selectAll();
  Type(Separator(), QStringLiteral("€"));  // CP932 has no euro sign
  EXPECT_EQ(Separator().text(), "/");
  EXPECT_EQ(ui_.beeps, 3);
  Separator().selectAll();
  Type(Separator(), QStringLiteral("ｱ"));
  EXPECT_EQ(Separator().text(), "ｱ") << "a single-byte katakana is one byte";
  Dialog().accept();
  ASSERT_EQ(Dialog().result(), QDialog::Accepted);
  EXPECT_EQ(Dialog().Settings().separator, "\xB1");
}

TEST_F(FilePropatyTest, AnEmptySeparatorIsNamedAndFocused) {
  Open();
  Separator().clear();
  Dialog().accept();
  EXPECT_TRUE(Dialog().isVisible());
  ExpectQuestion("説明とｺﾏﾝﾄﾞの区切りが設定されていません。", "Vexa", "empty separator");
  EXPECT_TRUE(HasFocus(Dialog(), "separator"));
  QTest::keyClicks(&Separator(), ",");
  Dialog().accept();
  ASSERT_EQ(Dialog().result(), QDialog::Accepted);
  EXPECT_EQ(Dialog().Settings().separator, ",");
}

// ---- CCmdAttr

class CmdAttrTest : public DialogTest {
 protected:
  void Open(const CAttr& item, const CommSettings& settings = kDefaultCommSettings) {
    dialog_ = std::make_unique<CCmdAttr>();
    dialog_->Load(item, settings);
    dialog_->show();
  }
  CCmdAttr& Dialog() { return *dialog_; }
  QLineEdit& Field(const char* name) { return Child<QLineEdit>(*dialog_, name); }
  QCheckBox& Box(const char* name) { return Child<QCheckBox>(*dialog_, name); }
  bool Accepted() { return dialog_->result() == QDialog::Accepted && !dialog_->isVisible(); }

  static CAttr Sample() {
    CAttr item;
    item.sendDescription = "init";
    item.sendText = "ATZ";
    item.sendKind = kKindText;
    item.label = "init;ATZ";
    item.repeatPeriod = 0;
    item.answerDelay = 1;
    return item;
  }

  std::unique_ptr<CCmdAttr> dialog_;
};

TEST_F(CmdAttrTest, ShowsTheItemAndEndsAsCancelledWithoutAChange) {
  CAttr item = Sample();
  item.receiveText = "0D0A";
  item.receiveKind = kKindHex;
  item.receiveDescription = "crlf";
  item.repeatPeriod = 1000;
  item.answerDelay = 20;
  Open(item);
  EXPECT_EQ(Field("sendDescription").text(), "init");
  EXPECT_EQ(Field("sendText").text(), "ATZ");
  EXPECT_TRUE(qobject_cast<CCmdEditBox*>(&Field("sendText"))) << "with the checksum menu";
  EXPECT_TRUE(qobject_cast<CCmdEditBox*>(&Field("receiveText")));
  EXPECT_FALSE(Box("sendHex").isChecked());
  EXPECT_EQ(Field("receiveDescription").text(), "crlf");
  EXPECT_EQ(Field("receiveText").text(), "0D0A");
  EXPECT_TRUE(Box("receiveHex").isChecked());
  EXPECT_EQ(Field("period").text(), "1000");
  EXPECT_EQ(Field("delay").text(), "20");
  Dialog().accept();
  EXPECT_EQ(Dialog().result(), QDialog::Rejected);
}

TEST_F(CmdAttrTest, TabFollowsTheTemplatesOrder) {
  Open(Sample());
  EXPECT_EQ(TabOrder(Dialog(), 11),
            (QStringList{"sendDescription", "sendText", "sendHex", "period", "receiveDescription",
                         "receiveText", "receiveHex", "delay", "OK", "ｷｬﾝｾﾙ", "sendDescription"}));
}

TEST_F(CmdAttrTest, NumbersOutsideTheirRangesAreNamedAndSelected) {
  struct Case {
    const char* field;
    const char* typed;
    const char* message;
  };
  const Case cases[] = {
      {"period", "16776961", "0 から 16776960 までの整数を入力してください。"},
      {"period", "-1", "正の整数を入力してください。"},
      {"period", "", "正の整数を入力してください。"},
      {"delay", "0", "1 から 16776960 までの整数を入力してください。"},
      {"delay", "2x", "正の整数を入力してください。"},
  };
  for (const Case& c : cases) {
    const std::string context = std::string(c.field) + " " + c.typed;
    ui_.messages.clear();
    Open(Sample());
    Field(c.field).setText(c.typed);
    Dialog().accept();
    EXPECT_TRUE(Dialog().isVisible()) << context;
    ExpectQuestion(QString::fromUtf8(c.message), "Vexa", context.c_str());
    EXPECT_TRUE(HasFocus(Dialog(), c.field)) << context;
    EXPECT_EQ(Field(c.field).selectedText(), c.typed) << context;
  }
}

TEST_F(CmdAttrTest, EveryFieldGoesIntoTheItemCopy) {
  CommSettings settings;
  settings.separator = "/";
  settings.useEscapes = 1;
  Open(Sample(), settings);
  Field("sendDescription").setText("dial");
  Field("sendText").setText("ATD\\r");
  Field("receiveDescription").setText("ring");
  Field("receiveText").setText("52494E47");
  Box("receiveHex").click();
  Field("period").setText("500");
  Field("delay").setText("16776960");
  Dialog().accept();
  ASSERT_TRUE(Accepted());
  const CAttr& item = Dialog().Item();
  EXPECT_EQ(item.label, "dial/ATD\\r");
  EXPECT_EQ(item.sendKind, kKindText);
  EXPECT_EQ(item.sendBytes, "ATD\r\r\n");
  EXPECT_EQ(item.receiveKind, kKindHex);
  EXPECT_EQ(item.receiveBytes, "RING");
  EXPECT_EQ(item.receiveDescription, "ring");
  EXPECT_EQ(item.repeatPeriod, 500);
  EXPECT_EQ(item.answerDelay, 16776960);
}

// Either line is split at its first separator when the file is loaded again.
TEST_F(CmdAttrTest, TheSeparatorCannotBeTypedIntoEitherDescription) {
  CommSettings settings;
  settings.separator = "/";
  CAttr item = Sample();
  item.label = "init/ATZ";
  item.receiveDescription = "init";
  for (const char* field : {"sendDescription", "receiveDescription"}) {
    ui_.beeps = 0;
    Open(item, settings);
    QLineEdit& description = Field(field);
    description.setFocus();
    description.setCursorPosition(2);
    QTest::keyClicks(&description, "a/b");
    EXPECT_EQ(description.text(), "inabit") << field;
    EXPECT_EQ(description.cursorPosition(), 4) << field;
    EXPECT_EQ(ui_.beeps, 1) << field;
    QTest::keyClicks(&description, ";");  // not the separator here
    Field("receiveText").setText("RING");
    Dialog().accept();
    ASSERT_TRUE(Accepted()) << field;
    const CAttr& edited = Dialog().Item();
    const bool send = std::string_view(field) == "sendDescription";
    const std::string line =
        send ? edited.label : edited.receiveDescription + "/" + edited.receiveText;
    std::string descriptionPart, data;
    ASSERT_TRUE(SplitLabel(line, '/', descriptionPart, data)) << field;
    EXPECT_EQ(descriptionPart, "inab;it") << field;
    EXPECT_EQ(data, send ? "ATZ" : "RING") << "the line splits back into what was typed";
  }
}

TEST_F(CmdAttrTest, DataThatIsNotHexAsksNoSelectsItYesKeepsItAsText) {
  Open(Sample());
  Box("sendHex").click();
  ui_.messageAnswers = {ui::Answer::kNo};
  Dialog().accept();
  EXPECT_TRUE(Dialog().isVisible());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "HEX にできません。テキストデータとしますか？");
  EXPECT_EQ(ui_.messages[0].caption, "Vexa");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kStop);
  EXPECT_EQ(ui_.messages[0].buttons, ui::Buttons::kYesNo);
  EXPECT_TRUE(HasFocus(Dialog(), "sendText"));
  EXPECT_EQ(Field("sendText").selectedText(), "ATZ") << "from the start to the end";
  EXPECT_TRUE(Box("sendHex").isChecked());

  // Yes on both sides: the send box and the receive box lose their marks.
  Field("receiveText").setText("OK");
  Box("receiveHex").click();
  ui_.messageAnswers = {ui::Answer::kYes, ui::Answer::kYes};
  Dialog().accept();
  ASSERT_TRUE(Accepted());
  EXPECT_FALSE(Box("sendHex").isChecked());
  EXPECT_FALSE(Box("receiveHex").isChecked());
  EXPECT_EQ(Dialog().Item().sendKind, kKindText);
  EXPECT_EQ(Dialog().Item().sendBytes, "ATZ\r\n");
  EXPECT_EQ(Dialog().Item().receiveKind, kKindText);
  EXPECT_EQ(Dialog().Item().receiveBytes, "OK");
}

TEST_F(CmdAttrTest, EscapeErrorsSelectTheFaultyPart) {
  CommSettings settings;
  settings.useEscapes = 1;
  Open(Sample(), settings);
  Field("sendText").setText(QStringLiteral("日本\\qAB"));
  Dialog().accept();
  EXPECT_TRUE(Dialog().isVisible());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "ｴｽｹｰﾌﾟｼｰｹﾝｽが誤りです");
  EXPECT_EQ(ui_.messages[0].caption, "Vexa");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kStop);
  EXPECT_TRUE(HasFocus(Dialog(), "sendText"));
  EXPECT_EQ(Field("sendText").selectedText(), "qAB") << "from the fault to the end";

  Field("sendText").setText("AT");
  Field("receiveText").setText("OK\\qX");
  Dialog().accept();
  EXPECT_TRUE(HasFocus(Dialog(), "receiveText"));
  EXPECT_EQ(Field("receiveText").selectedText(), "q") << "one character";

  // Kept as text after the question, the data is still checked.
  Field("receiveText").setText("\\q");
  Box("receiveHex").click();
  ui_.messageAnswers = {ui::Answer::kYes};
  ui_.messages.clear();
  Dialog().accept();
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text, "ｴｽｹｰﾌﾟｼｰｹﾝｽが誤りです");
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_FALSE(Box("receiveHex").isChecked());
}

}  // namespace
}  // namespace vexa
