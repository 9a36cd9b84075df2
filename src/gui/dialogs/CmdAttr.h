// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The item detail dialog: every setting of one command item at once (description, data and
// HEX choice of the command and of its automatic answer, the repeat period and the delay),
// edited on a copy of the item.

#include <QDialog>
#include <array>

#include "core/items/Attr.h"
#include "core/settings/CommSettings.h"
#include "core/settings/ItemDetailsForm.h"

class QCheckBox;
class QLineEdit;

namespace vexa {

class CCmdEditBox;

class CCmdAttr : public QDialog {
  Q_OBJECT

 public:
  explicit CCmdAttr(QWidget* parent = nullptr);

  // Shows `item` and keeps `settings` for its conversions, then runs modally.
  int Run(const CAttr& item, const CommSettings& settings);
  // Run's first half: the copies and the fields, without showing the dialog.
  void Load(const CAttr& item, const CommSettings& settings);
  // The edited copy, after OK.
  const CAttr& Item() const { return item_; }

 public slots:
  // Without a change the dialog ends as cancelled. Otherwise the numbers are checked and both
  // data are converted; a failure keeps the dialog open with the faulty part selected.
  void accept() override;

 private:
  void CreateControls();
  ItemDetailsFields ReadFields() const;
  std::array<QLineEdit*, 6> TextFields() const;
  // Resolves a conversion of one side, asking about data that is not HEX; false keeps the
  // dialog open.
  bool Converted(CAttr& edited, ItemDataSide side, const ItemDetailsFields& fields);
  void SelectFaultyPart(ItemDataSide side, std::int32_t bytePosition);
  CCmdEditBox& DataField(ItemDataSide side) const;
  QCheckBox& HexBox(ItemDataSide side) const;
  void RefuseSeparator(QLineEdit& description, const QString& text);

  QLineEdit* sendDescription_ = nullptr;     // 1044
  CCmdEditBox* sendText_ = nullptr;          // 1045
  QLineEdit* receiveDescription_ = nullptr;  // 1046
  CCmdEditBox* receiveText_ = nullptr;       // 1047
  QLineEdit* delay_ = nullptr;               // 1064
  QLineEdit* period_ = nullptr;              // 1061
  QCheckBox* sendHex_ = nullptr;             // 1065
  QCheckBox* receiveHex_ = nullptr;          // 1058
  CAttr item_;
  bool modified_ = false;
  CommSettings settings_;
};

}  // namespace vexa
