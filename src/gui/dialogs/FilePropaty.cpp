// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/FilePropaty.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "core/settings/EditSettingsForm.h"
#include "gui/dialogs/DialogTemplate.h"
#include "gui/seam/QtText.h"
#include "gui/seam/UiSeam.h"

namespace vexa {

CFilePropaty::CFilePropaty(QWidget* parent) : QDialog(parent) {
  CreateControls();
  InitSettings(kDefaultCommSettings, QString());
}

void CFilePropaty::CreateControls() {
  const DialogTemplate tmpl(*this, 143, 89);
  hexInput_ = tmpl.Place(new QCheckBox(QStringLiteral("送信ﾃﾞｰﾀの HEX 入力をﾃﾞﾌｫﾙﾄにする"), this),
                         7, 7, 129, 10);
  hexDisplay_ = tmpl.Place(new QCheckBox(QStringLiteral("受信ﾃﾞｰﾀの HEX 表示をﾃﾞﾌｫﾙﾄにする"), this),
                           7, 21, 129, 10);
  useEscapes_ =
      tmpl.Place(new QCheckBox(QStringLiteral("ﾃｷｽﾄ入力でｴｽｹｰﾌﾟ文字を使う"), this), 7, 35, 129, 10);
  tmpl.Static("説明とｺﾏﾝﾄﾞの区切り", 7, 53, 76, 8);
  // 3 units wider than the template's: with the frame and margins of this toolkit a wide
  // character such as "W" or "@" would otherwise be cut.
  separator_ = tmpl.Place(new QLineEdit(this), 86, 51, 12, 12);
  tmpl.OkButton("OK", 20, 70, 45, 14);
  tmpl.CancelButton(78, 70, 45, 14);

  hexInput_->setObjectName(QStringLiteral("hexInput"));
  hexDisplay_->setObjectName(QStringLiteral("hexDisplay"));
  useEscapes_->setObjectName(QStringLiteral("useEscapes"));
  separator_->setObjectName(QStringLiteral("separator"));
  for (QCheckBox* box : {hexInput_, hexDisplay_, useEscapes_}) {
    connect(box, &QCheckBox::clicked, this, [this] { modified_ = true; });
  }
  connect(separator_, &QLineEdit::textChanged, this, &CFilePropaty::OnSeparatorChanged);
}

void CFilePropaty::InitSettings(const CommSettings& settings, const QString& name) {
  settings_ = settings;
  const EditSettingsFields fields = EditFieldsOf(settings);
  hexDisplay_->setChecked(fields.hexDisplayDefault);
  hexInput_->setChecked(fields.hexInputDefault);
  useEscapes_->setChecked(fields.useEscapes);
  {
    const QSignalBlocker quiet(separator_);
    separator_->setText(ToQString(fields.separator));
  }
  acceptedSeparator_ = separator_->text();
  modified_ = false;
  setWindowTitle(QStringLiteral("編集の設定 ") + (name.isEmpty() ? QStringLiteral("新規") : name));
}

// Keeps the field at one single-byte character: longer text is cut back (a double-byte
// character, whose first byte is no character, is refused whole) with a beep.
void CFilePropaty::OnSeparatorChanged(const QString& text) {
  const std::string previous = ToCp932(acceptedSeparator_);
  // A first character CP932 cannot hold would arrive as '?': refuse it rather than store that.
  const QString first = text.left(1);
  const SeparatorFieldText kept = ToQString(ToCp932(first)) == first
                                      ? ConstrainSeparatorField(ToCp932(text), previous)
                                      : SeparatorFieldText{previous, true};
  if (kept.refused) {
    ui::Beep();
    const QSignalBlocker quiet(separator_);
    separator_->setText(ToQString(kept.text));
    separator_->selectAll();
  }
  acceptedSeparator_ = separator_->text();
  modified_ = true;
}

void CFilePropaty::accept() {
  if (!modified_) {
    reject();
    return;
  }
  EditSettingsFields fields{hexInput_->isChecked(), hexDisplay_->isChecked(),
                            useEscapes_->isChecked(), ToCp932(separator_->text())};
  if (const auto error = ApplyEditFields(fields, settings_)) {
    ui::ShowMessage(this, QString::fromStdString(error->message),
                    QString::fromStdString(error->caption), ui::Icon::kQuestion);
    separator_->setFocus();
    separator_->selectAll();
    return;
  }
  QDialog::accept();
}

}  // namespace vexa
