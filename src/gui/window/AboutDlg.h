// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "ﾊﾞｰｼﾞｮﾝ情報 Vexa": the program's icon, name and version, and its maker.

#include <QDialog>

namespace vexa {

inline constexpr char kVersionLine[] = "Vexa  (Version 2.04)";
inline constexpr char kMakerLine[] = "Copyright (C) marlen";

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent);
};

}  // namespace vexa
