// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/CmdAttr.h"

#include <QCheckBox>
#include <QLineEdit>

#include "core/AppName.h"
#include "gui/controls/CmdEditBox.h"
#include "gui/dialogs/DialogTemplate.h"
#include "gui/seam/QtText.h"
#include "gui/seam/UiSeam.h"

namespace vexa {
namespace {

constexpr char kNotHexQuestion[] = "HEX にできません。テキストデータとしますか？";
constexpr char kEscapeError[] = "ｴｽｹｰﾌﾟｼｰｹﾝｽが誤りです";

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

}  // namespace

CCmdAttr::CCmdAttr(QWidget* parent) : QDialog(parent) {
  CreateControls();
}

void CCmdAttr::CreateControls() {
  const DialogTemplate tmpl(*this, 251, 169);
  tmpl.Static("説明", 47, 14, 20, 9);
  tmpl.Static("ﾃﾞｰﾀ", 134, 15, 20, 9);
  tmpl.Static("送信ﾃﾞｰﾀ", 7, 31, 30, 8);
  sendDescription_ = tmpl.Place(new QLineEdit(this), 46, 28, 84, 14);
  sendText_ = tmpl.Place(new CCmdEditBox(this), 135, 28, 74, 14);
  sendHex_ = tmpl.Place(new QCheckBox(QStringLiteral("HEX"), this), 218, 29, 26, 10);
  tmpl.Static("繰返し周期", 7, 55, 34, 10);
  // The number fields are 5 units wider than the template's, so that the largest value
  // (8 digits) shows whole; their "[ms]" moves along.
  period_ = tmpl.Place(new QLineEdit(this), 46, 54, 38, 13);
  tmpl.Static("[ms]", 88, 57, 16, 9);
  tmpl.Static("繰返し周期の間隔で送信し続けます。", 115, 58, 115, 9);
  tmpl.Static("説明", 49, 91, 20, 9);
  tmpl.Static("ﾃﾞｰﾀ", 137, 93, 20, 9);
  tmpl.Static("受信ﾃﾞｰﾀ", 7, 106, 30, 8);
  receiveDescription_ = tmpl.Place(new QLineEdit(this), 46, 103, 83, 14);
  receiveText_ = tmpl.Place(new CCmdEditBox(this), 135, 103, 74, 14);
  receiveHex_ = tmpl.Place(new QCheckBox(QStringLiteral("HEX"), this), 219, 103, 25, 13);
  tmpl.Static("遅れ時間", 7, 123, 34, 10);
  delay_ = tmpl.Place(new QLineEdit(this), 46, 121, 38, 13);
  tmpl.Static("[ms]", 88, 125, 16, 9);
  tmpl.Static("接続した機器から「受信ﾃﾞｰﾀ」を受けとると、", 111, 125, 125, 10);
  tmpl.Static("遅れ時間後に「送信ﾃﾞｰﾀ」を送ります。", 111, 136, 125, 10);
  tmpl.OkButton("OK", 7, 148, 37, 14);
  tmpl.CancelButton(204, 148, 40, 14);

  sendDescription_->setObjectName(QStringLiteral("sendDescription"));
  sendText_->setObjectName(QStringLiteral("sendText"));
  sendHex_->setObjectName(QStringLiteral("sendHex"));
  period_->setObjectName(QStringLiteral("period"));
  receiveDescription_->setObjectName(QStringLiteral("receiveDescription"));
  receiveText_->setObjectName(QStringLiteral("receiveText"));
  receiveHex_->setObjectName(QStringLiteral("receiveHex"));
  delay_->setObjectName(QStringLiteral("delay"));
  for (QLineEdit* edit : TextFields()) {
    connect(edit, &QLineEdit::textChanged, this, [this] { modified_ = true; });
  }
  for (QCheckBox* box : {sendHex_, receiveHex_}) {
    connect(box, &QCheckBox::clicked, this, [this] { modified_ = true; });
  }
  for (QLineEdit* description : {sendDescription_, receiveDescription_}) {
    connect(description, &QLineEdit::textEdited, this,
            [this, description](const QString& text) { RefuseSeparator(*description, text); });
  }
}

// The command's line and its automatic answer's line are each description, separator and
// data, and each is split at its first separator when the file is loaded again: a separator
// in a description would move the rest of it into the data (an answer would then wait for
// other bytes). It is refused with a beep, as the separator field refuses a second character.
void CCmdAttr::RefuseSeparator(QLineEdit& description, const QString& text) {
  const char separatorByte = settings_.SeparatorChar();
  const QString separator = ToQString(std::string_view(&separatorByte, 1));
  if (!text.contains(separator)) return;
  const int cursor = description.cursorPosition();
  const auto removedBeforeCursor = static_cast<int>(text.left(cursor).count(separator));
  QString kept = text;
  kept.remove(separator);
  ui::Beep();
  description.setText(kept);
  description.setCursorPosition(cursor - removedBeforeCursor);
}

void CCmdAttr::Load(const CAttr& item, const CommSettings& settings) {
  item_ = item;
  settings_ = settings;
  const ItemDetailsFields fields = DetailFieldsOf(item);
  delay_->setText(ToQString(fields.delay));
  period_->setText(ToQString(fields.period));
  sendText_->ResetText(ToQString(fields.sendText));
  sendDescription_->setText(ToQString(fields.sendDescription));
  receiveText_->ResetText(ToQString(fields.receiveText));
  receiveDescription_->setText(ToQString(fields.receiveDescription));
  sendHex_->setChecked(fields.sendHex);
  receiveHex_->setChecked(fields.receiveHex);
  // Long texts show their beginning, as the fields are read from the left.
  for (QLineEdit* edit : TextFields()) edit->setCursorPosition(0);
  modified_ = false;
}

int CCmdAttr::Run(const CAttr& item, const CommSettings& settings) {
  Load(item, settings);
  return exec();
}

ItemDetailsFields CCmdAttr::ReadFields() const {
  return {ToCp932(sendDescription_->text()),
          ToCp932(sendText_->text()),
          ToCp932(receiveDescription_->text()),
          ToCp932(receiveText_->text()),
          ToCp932(period_->text()),
          ToCp932(delay_->text()),
          sendHex_->isChecked(),
          receiveHex_->isChecked()};
}

std::array<QLineEdit*, 6> CCmdAttr::TextFields() const {
  return {sendDescription_, sendText_, receiveDescription_, receiveText_, period_, delay_};
}

CCmdEditBox& CCmdAttr::DataField(ItemDataSide side) const {
  return side == ItemDataSide::kSend ? *sendText_ : *receiveText_;
}

QCheckBox& CCmdAttr::HexBox(ItemDataSide side) const {
  return side == ItemDataSide::kSend ? *sendHex_ : *receiveHex_;
}

void CCmdAttr::accept() {
  if (!modified_) {
    reject();
    return;
  }
  const ItemDetailsFields fields = ReadFields();
  CAttr edited(item_);
  if (const auto error = ApplyItemNumbers(fields, edited)) {
    ui::ShowMessage(this, QString::fromStdString(error->message), Utf8(kAppName),
                    ui::Icon::kQuestion);
    QLineEdit* field = error->field == ItemNumberField::kDelay ? delay_ : period_;
    field->setFocus();
    field->selectAll();
    return;
  }
  if (!Converted(edited, ItemDataSide::kSend, fields) ||
      !Converted(edited, ItemDataSide::kReceive, fields)) {
    return;
  }
  item_ = edited;
  QDialog::accept();
}

// Data kept as text after the question is still checked for escape errors: an item whose
// data cannot be sent must not be accepted silently.
bool CCmdAttr::Converted(CAttr& edited, ItemDataSide side, const ItemDetailsFields& fields) {
  BuildResult result = ApplyItemData(edited, side, fields, settings_);
  if (result == BuildResult::kNotHex) {
    const ui::Answer answer = ui::ShowMessage(this, Utf8(kNotHexQuestion), Utf8(kAppName),
                                              ui::Icon::kStop, ui::Buttons::kYesNo);
    if (answer != ui::Answer::kYes) {
      SelectFaultyPart(side, edited.ErrorPosition());
      return false;
    }
    HexBox(side).setChecked(false);
    result = KeepItemDataAsText(edited, side, settings_);
  }
  if (result == BuildResult::kEscapeError) {
    ui::ShowMessage(this, Utf8(kEscapeError), Utf8(kAppName), ui::Icon::kStop);
    SelectFaultyPart(side, edited.ErrorPosition());
    return false;
  }
  return true;
}

// The send data from the fault to its end; of the receive data the one character there.
void CCmdAttr::SelectFaultyPart(ItemDataSide side, std::int32_t bytePosition) {
  CCmdEditBox& field = DataField(side);
  const std::string typed = ToCp932(field.text());
  const std::size_t before =
      std::min<std::size_t>(static_cast<std::size_t>(bytePosition), typed.size());
  const auto start = static_cast<int>(ToQString(std::string_view(typed).substr(0, before)).size());
  const auto rest = static_cast<int>(field.text().size()) - start;
  field.setSelection(start, side == ItemDataSide::kSend ? rest : std::min(1, rest));
  field.setFocus();
}

}  // namespace vexa
