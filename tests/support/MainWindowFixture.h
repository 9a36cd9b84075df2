#pragma once
// A main window started as the program starts it, with its own preference file and scripted
// message boxes and dialogs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "gui/app/Test3App.h"
#include "gui/window/Test3Dlg.h"
#include "gui/controls/CmdTree.h"
#include "support/ConfigHome.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUi.h"

namespace vexa::test {

class MainWindowFixture : public ::testing::Test {
 protected:
  // Creates the window; hooks may be filled before Start.
  void SetUp() override { dialog_ = app_.CreateMainDialog(QString()); }
  void TearDown() override { dialog_.reset(); }

  // OnInitDialog, then shown and active as after the modal run begins.
  void Start() {
    dialog_->OnInitDialog();
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    Settle();
  }
  // Lets posted events (accelerator switches, layout) arrive.
  static void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }

  CTest3Dlg& Dialog() { return *dialog_; }
  CTest3App& App() { return app_; }

  // The item's image, by the tree's image list.
  CCmdTree::ItemImage ImageOf(ItemHandle item) {
    const qint64 key = CCmdTree::ItemOf(item)->icon(0).cacheKey();
    for (auto image : {CCmdTree::kImageHex, CCmdTree::kImageText, CCmdTree::kImageHeading}) {
      if (dialog_->Tree().Image(image).cacheKey() == key) return image;
    }
    ADD_FAILURE() << "an item without one of the three images";
    return CCmdTree::kImageHeading;
  }

  ConfigHome config_;
  ScriptedUi ui_;
  CTest3App app_;
  std::unique_ptr<CTest3Dlg> dialog_;
};

}  // namespace vexa::test
