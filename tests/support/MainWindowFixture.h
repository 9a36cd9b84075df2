// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window started as the program starts it, with its own preference file and scripted
// message boxes and dialogs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "core/workspace/Workspace.h"
#include "gui/app/Test3App.h"
#include "gui/controls/CmdTree.h"
#include "gui/window/Test3Dlg.h"
#include "support/ConfigHome.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUi.h"

namespace vexa::test {

class MainWindowFixture : public ::testing::Test {
 protected:
  // Creates the window and its features; command handlers may be replaced before Start.
  void SetUp() override { app_.CreateMainDialog(QString()); }
  void TearDown() override { app_.DestroyMainDialog(); }

  // OnInitDialog, then shown and active as after the modal run begins.
  void Start() {
    Dialog().OnInitDialog();
    Dialog().show();
    Dialog().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog()));
    Settle();
  }
  // Lets posted events (accelerator switches, layout) arrive.
  static void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }

  CTest3Dlg& Dialog() { return app_.Window(); }
  CTest3App& App() { return app_; }
  Workspace& Work() { return app_.Work(); }

  // The item's image, by the tree's image list.
  CCmdTree::ItemImage ImageOf(ItemHandle item) {
    const qint64 key = CCmdTree::ItemOf(item)->icon(0).cacheKey();
    for (auto image : {CCmdTree::kImageHex, CCmdTree::kImageText, CCmdTree::kImageHeading}) {
      if (Dialog().Tree().Image(image).cacheKey() == key) return image;
    }
    ADD_FAILURE() << "an item without one of the three images";
    return CCmdTree::kImageHeading;
  }

  ConfigHome config_;
  ScriptedUi ui_;
  CTest3App app_;
};

}  // namespace vexa::test
