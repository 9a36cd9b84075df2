// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edit settings dialog: HEX input and HEX display by default, escape sequences in text
// data, and the one-character separator of an item's description and data.

#include <QDialog>
#include <QString>

#include "core/settings/CommSettings.h"

class QCheckBox;
class QLineEdit;

namespace vexa {

class CFilePropaty : public QDialog {
  Q_OBJECT

 public:
  explicit CFilePropaty(QWidget* parent = nullptr);

  // The record to edit, and the name for the caption (empty: 新規).
  void InitSettings(const CommSettings& settings, const QString& name);
  // The edited record, after OK.
  const CommSettings& Settings() const { return settings_; }

 public slots:
  // Without a change the dialog ends as cancelled; an empty separator keeps it open.
  void accept() override;

 private:
  void CreateControls();
  void OnSeparatorChanged(const QString& text);

  QLineEdit* separator_ = nullptr;   // 1044
  QCheckBox* hexInput_ = nullptr;    // 1068
  QCheckBox* hexDisplay_ = nullptr;  // 1069
  QCheckBox* useEscapes_ = nullptr;  // 1070
  CommSettings settings_;
  bool modified_ = false;
  QString acceptedSeparator_;  // what the field held before the latest change
};

}  // namespace vexa
