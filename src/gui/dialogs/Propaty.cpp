// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/Propaty.h"

#include <QComboBox>
#include <QLineEdit>

#include "core/settings/CommSettings.h"
#include "gui/controls/PortComboBox.h"
#include "gui/dialogs/DialogTemplate.h"
#include "gui/seam/QtText.h"
#include "gui/seam/UiSeam.h"

namespace vexa {
namespace {

// Typed texts longer than this are refused by the checks anyway.
constexpr int kTypedTextMax = 255;

QStringList Utf8List(std::initializer_list<const char*> items) {
  QStringList list;
  for (const char* item : items) list << QString::fromUtf8(item);
  return list;
}

constexpr Qt::MatchFlags kExactly = Qt::MatchExactly | Qt::MatchCaseSensitive;

// Selects the item that is exactly `text`; an editable combo shows any other text as typed.
void ShowText(QComboBox& combo, const std::string& text) {
  const QString shown = ToQString(text);
  combo.setCurrentIndex(combo.findText(shown, kExactly));
  if (combo.currentIndex() < 0 && combo.isEditable()) combo.setEditText(shown);
}

}  // namespace

Cpropaty::Cpropaty(QWidget* parent) : QDialog(parent) {
  CreateControls();
  SetUp(kDefaultCommSettings, QString(), false);
}

void Cpropaty::CreateControls() {
  const DialogTemplate tmpl(*this, 179, 113);
  tmpl.Static("ﾎﾟｰﾄ", 7, 9, 40, 8);
  port_ = new CPortComboBox(this);
  tmpl.Combo(port_, true, 48, 7, 124);
  tmpl.Static("ﾎﾞｰﾚｰﾄ", 7, 28, 40, 8);
  baud_ = tmpl.Combo(true, 48, 26, 40);
  tmpl.Static("ｽﾄｯﾌﾟﾋﾞｯﾄ", 7, 44, 40, 8);
  stopBits_ = tmpl.Combo(false, 48, 42, 40);
  tmpl.Static("ﾊﾟﾘﾃｨ", 7, 60, 40, 8);
  parity_ = tmpl.Combo(false, 48, 58, 40);
  tmpl.Static("ﾃﾞｰﾀﾋﾞｯﾄ長", 7, 76, 40, 8);
  dataBits_ = tmpl.Place(new QLineEdit(this), 48, 74, 40, 12);
  tmpl.Static("送信ﾀｰﾐﾈｰﾀ", 92, 28, 42, 8);
  sendTerminator_ = tmpl.Combo(true, 135, 26, 37);
  tmpl.Static("受信ﾀｰﾐﾈｰﾀ", 92, 44, 42, 8);
  receiveTerminator_ = tmpl.Combo(true, 135, 42, 37);
  tmpl.Static("受信ﾚｺｰﾄﾞ長", 92, 60, 42, 8);
  recordLength_ = tmpl.Place(new QLineEdit(this), 135, 58, 37, 12);
  tmpl.Static("受信ﾀｲﾑｱｳﾄ", 92, 76, 42, 8);
  timeout_ = tmpl.Place(new QLineEdit(this), 135, 74, 22, 12);
  tmpl.Static("[ms]", 159, 76, 14, 8);
  tmpl.OkButton("保存", 68, 93, 50, 14);
  tmpl.CancelButton(122, 93, 50, 14);

  port_->Refill();
  baud_->addItems(
      Utf8List({"4800", "9600", "14400", "19200", "38400", "57600", "115200", "128000", "256000"}));
  stopBits_->addItems(Utf8List({"1", "1.5", "2"}));
  parity_->addItems(Utf8List({"なし", "odd", "even", "mark", "space"}));
  const QStringList terminators = Utf8List({"CR", "LF", "CR+LF", "なし"});
  sendTerminator_->addItems(terminators);
  receiveTerminator_->addItems(terminators);
  for (QComboBox* typed :
       std::initializer_list<QComboBox*>{port_, baud_, sendTerminator_, receiveTerminator_}) {
    typed->lineEdit()->setMaxLength(kTypedTextMax);
    // Texts are compared exactly: nothing may complete "cr" into "CR" behind the operator.
    typed->setCompleter(nullptr);
    typed->setInsertPolicy(QComboBox::NoInsert);
  }
  port_->setObjectName(QStringLiteral("port"));
  baud_->setObjectName(QStringLiteral("baud"));
  stopBits_->setObjectName(QStringLiteral("stopBits"));
  parity_->setObjectName(QStringLiteral("parity"));
  dataBits_->setObjectName(QStringLiteral("dataBits"));
  sendTerminator_->setObjectName(QStringLiteral("sendTerminator"));
  receiveTerminator_->setObjectName(QStringLiteral("receiveTerminator"));
  recordLength_->setObjectName(QStringLiteral("recordLength"));
  timeout_->setObjectName(QStringLiteral("timeout"));
  TrackChanges();
}

void Cpropaty::TrackChanges() {
  for (QLineEdit* edit : {dataBits_, timeout_, recordLength_}) {
    connect(edit, &QLineEdit::textChanged, this, [this] { changed_ = true; });
  }
  for (QComboBox* combo : std::initializer_list<QComboBox*>{stopBits_, baud_, port_, parity_,
                                                            sendTerminator_, receiveTerminator_}) {
    connect(combo, &QComboBox::currentIndexChanged, this, [this] { changed_ = true; });
  }
  for (QComboBox* typed : std::initializer_list<QComboBox*>{baud_, port_, sendTerminator_}) {
    connect(typed, &QComboBox::editTextChanged, this, [this] { changed_ = true; });
  }
  connect(receiveTerminator_, &QComboBox::editTextChanged, this,
          &Cpropaty::OnReceiveTerminatorEdited);
}

void Cpropaty::OnReceiveTerminatorEdited(const QString& text) {
  recordLength_->setEnabled(RecordLengthEditable(ToCp932(text)));
  changed_ = true;
}

void Cpropaty::SetUp(const CommSettings& settings, const QString& fileTitle, bool connected) {
  settings_ = settings;
  const CommSettingsFields fields = FieldsOf(settings);
  setWindowTitle(QStringLiteral("Propaty ") +
                 (fileTitle.isEmpty() ? QStringLiteral("新規") : fileTitle));
  ShowText(*parity_, fields.parity);
  ShowText(*stopBits_, fields.stopBits);
  ShowText(*baud_, fields.baud);
  ShowText(*sendTerminator_, fields.sendTerminator);
  ShowText(*receiveTerminator_, fields.receiveTerminator);
  recordLength_->setEnabled(settings.receiveTerminator.empty());
  recordLength_->setText(ToQString(fields.recordLength));
  ShowPort(settings.portName);
  dataBits_->setText(ToQString(fields.dataBits));
  timeout_->setText(ToQString(fields.timeout));
  // The line settings apply at the next connect; terminators and record length at once.
  for (QWidget* lineSetting :
       std::initializer_list<QWidget*>{parity_, port_, baud_, stopBits_, dataBits_, timeout_}) {
    lineSetting->setEnabled(!connected);
  }
  connected_ = connected;
  changed_ = false;
}

// A listed port is selected; a device path or a network port that is not listed is shown as
// typed. A name that is neither (COM0 from a file) shows nothing, so 保存 asks for a port.
void Cpropaty::ShowPort(const std::string& portName) {
  const bool listed = port_->findText(ToQString(portName), kExactly) >= 0;
  const bool typed = portName.starts_with('/') || ParseNetworkPortName(portName).has_value();
  ShowText(*port_, listed || typed ? portName : std::string());
}

CommSettingsFields Cpropaty::ReadFields() const {
  return {ToCp932(port_->currentText()),
          ToCp932(baud_->currentText()),
          ToCp932(stopBits_->currentText()),
          ToCp932(parity_->currentText()),
          ToCp932(sendTerminator_->currentText()),
          ToCp932(receiveTerminator_->currentText()),
          ToCp932(recordLength_->text()),
          ToCp932(dataBits_->text()),
          ToCp932(timeout_->text())};
}

QWidget* Cpropaty::Control(CommField field) const {
  switch (field) {
    case CommField::kPort:
      return port_;
    case CommField::kBaud:
      return baud_;
    case CommField::kStopBits:
      return stopBits_;
    case CommField::kParity:
      return parity_;
    case CommField::kSendTerminator:
      return sendTerminator_;
    case CommField::kReceiveTerminator:
      return receiveTerminator_;
    case CommField::kRecordLength:
      return recordLength_;
    case CommField::kDataBits:
      return dataBits_;
    case CommField::kTimeout:
      return timeout_;
  }
  return nullptr;
}

void Cpropaty::accept() {
  if (!changed_) {
    reject();
    return;
  }
  const LineFields lineFields = connected_ ? LineFields::kKept : LineFields::kRead;
  if (const auto error = ApplyCommFields(ReadFields(), settings_, lineFields)) {
    if (!error->message.empty()) {
      ui::ShowMessage(this, QString::fromStdString(error->message),
                      QString::fromStdString(error->caption), ui::Icon::kQuestion);
    }
    Control(error->field)->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace vexa
