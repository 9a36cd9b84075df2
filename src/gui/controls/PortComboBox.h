// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The port field of the communication settings: COM1 to COM8 and the serial devices of this
// machine, read again each time the list opens, so that a device plugged in meanwhile is
// there. Each row shows what the device is; the field takes the port name, or a typed path.

#include <QComboBox>

#include "core/link/PortNames.h"

namespace vexa {

class CPortComboBox : public QComboBox {
  Q_OBJECT

 public:
  static constexpr int kDescriptionRole = Qt::UserRole + 1;

  explicit CPortComboBox(QWidget* parent = nullptr);

  // Where the devices are looked for.
  void SetDeviceRoots(DeviceRoots roots) { roots_ = std::move(roots); }
  // Lists the ports afresh. The field keeps its text (selecting it when it is listed) and no
  // change is signalled: reading the devices is not an edit.
  void Refill();
  void showPopup() override;

 private:
  DeviceRoots roots_;
};

}  // namespace vexa
