// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The communication settings dialog: port, speed, framing, terminators, record length and
// receive time-out of a private copy of the settings record.

#include <QDialog>
#include <QString>

#include "core/settings/CommSettings.h"
#include "core/settings/CommSettingsForm.h"

class QComboBox;
class QLineEdit;

namespace vexa {

class CPortComboBox;

class Cpropaty : public QDialog {
  Q_OBJECT

 public:
  explicit Cpropaty(QWidget* parent = nullptr);

  // Before showing: the record to edit, the file title for the caption (empty: none) and
  // whether the link is connected (the line settings are then greyed).
  void SetUp(const CommSettings& settings, const QString& fileTitle, bool connected);
  // The edited record, after OK.
  const CommSettings& Settings() const { return settings_; }

 public slots:
  // 保存: without a change the dialog ends as cancelled; otherwise the fields are checked
  // in order and the first refused one gets the focus.
  void accept() override;

 private:
  void CreateControls();
  void TrackChanges();
  void ShowPort(const std::string& portName);
  CommSettingsFields ReadFields() const;
  QWidget* Control(CommField field) const;
  void OnReceiveTerminatorEdited(const QString& text);

  QLineEdit* dataBits_ = nullptr;           // 1047
  QLineEdit* timeout_ = nullptr;            // 1048
  QLineEdit* recordLength_ = nullptr;       // 1046
  QComboBox* sendTerminator_ = nullptr;     // 1032
  QComboBox* receiveTerminator_ = nullptr;  // 1031
  QComboBox* stopBits_ = nullptr;           // 1018
  QComboBox* baud_ = nullptr;               // 1017
  CPortComboBox* port_ = nullptr;           // 1020
  QComboBox* parity_ = nullptr;             // 1019
  CommSettings settings_;
  bool changed_ = false;
  bool connected_ = false;
};

}  // namespace vexa
