// SPDX-License-Identifier: GPL-3.0-or-later
// One QApplication for every widget test, on the offscreen platform unless told otherwise.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "gui/seam/DialogUnits.h"
#include "gui/seam/Resources.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  vexa::InstallFontSubstitutions();
  vexa::LoadResources();
  return RUN_ALL_TESTS();
}
