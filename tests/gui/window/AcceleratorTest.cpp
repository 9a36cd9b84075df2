// SPDX-License-Identifier: GPL-3.0-or-later
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "core/CommandIds.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "support/MainWindowFixture.h"

namespace vexa {
namespace {

using test::MainWindowFixture;

class Accelerators : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    for (int id : {kCmdOpenFile, kCmdInsertChild, kCmdSend, kCmdDelete, kCmdSelectLast}) {
      Dialog().SetCommandHandler(id, [this, id] { ran_.push_back(id); });
    }
  }

  void FocusTree() {
    Dialog().Tree().setFocus();
    Settle();
  }
  QLineEdit& FocusCommandBox() {
    Dialog().CommandBox().setEnabled(true);
    Dialog().CommandBox().setFocus();
    Settle();
    return *Dialog().CommandBox().lineEdit();
  }

  std::vector<int> ran_;
};

TEST_F(Accelerators, TheTableFollowsTheTreeFocus) {
  Start();
  EXPECT_EQ(App().Router().CurrentWindow(), &Dialog());
  EXPECT_EQ(App().Router().CurrentTable(), &TableTree()) << "the tree has the focus after start-up";
  FocusCommandBox();
  EXPECT_EQ(App().Router().CurrentTable(), &TableUnfocused());
  FocusTree();
  EXPECT_EQ(App().Router().CurrentTable(), &TableTree());
}

TEST_F(Accelerators, CtrlCInsertsAChildInTheTreeAndCopiesInTheCommandBox) {
  Start();
  FocusTree();
  QTest::keyClick(&Dialog().Tree(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(ran_, std::vector<int>{kCmdInsertChild});

  QLineEdit& edit = FocusCommandBox();
  edit.setText("ATZ");
  edit.selectAll();
  QApplication::clipboard()->clear();
  QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(ran_, std::vector<int>{kCmdInsertChild}) << "no command from the command box";
  EXPECT_EQ(QApplication::clipboard()->text(), "ATZ");
}

TEST_F(Accelerators, CtrlOWorksInBothTablesButNotWhenGreyed) {
  Start();
  FocusTree();
  QTest::keyClick(&Dialog().Tree(), Qt::Key_O, Qt::ControlModifier);
  QLineEdit& edit = FocusCommandBox();
  QTest::keyClick(&edit, Qt::Key_O, Qt::ControlModifier);
  QTest::keyClick(&edit, Qt::Key_Delete);  // not in the general table
  EXPECT_EQ(ran_, (std::vector<int>{kCmdOpenFile, kCmdOpenFile}));

  Dialog().ApplyConnectedEnabling();
  QTest::keyClick(&edit, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(ran_.size(), 2u) << "開く is greyed while connected";
  QTest::keyClick(&edit, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(ran_.size(), 2u) << "modifiers must match exactly";
}

// Counts the presses of other than modifier keys that reach a widget.
class KeyCounter : public QObject {
 public:
  explicit KeyCounter(QWidget& widget) { widget.installEventFilter(this); }
  int presses = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      presses += key != Qt::Key_Shift && key != Qt::Key_Control;
    }
    return false;
  }
};

TEST_F(Accelerators, TreeKeysBecomeCommandsAndShiftF10IsSwallowed) {
  Start();
  FocusTree();
  KeyCounter reaching(Dialog().Tree());
  QTest::keyClick(&Dialog().Tree(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_EQ(reaching.presses, 0) << "Shift+F10 never reaches the tree";
  QTest::keyClick(&Dialog().Tree(), Qt::Key_F9, Qt::ShiftModifier);
  EXPECT_EQ(reaching.presses, 1) << "an unbound key does";

  QTest::keyClick(&Dialog().Tree(), Qt::Key_Delete);
  QTest::keyClick(&Dialog().Tree(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(ran_, (std::vector<int>{kCmdDelete, kCmdSelectLast}));
  EXPECT_EQ(reaching.presses, 1);
}

TEST_F(Accelerators, OnlyTheCurrentWindowAndItsChildrenAreTranslated) {
  Start();
  QLineEdit elsewhere;
  elsewhere.show();
  QTest::keyClick(&elsewhere, Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(ran_.empty());

  Dialog().DestroyWindow();
  Settle();
  EXPECT_EQ(App().Router().CurrentWindow(), nullptr);
  EXPECT_EQ(App().Router().CurrentTable(), nullptr);
  QTest::keyClick(&Dialog().Tree(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(ran_.empty());
}

TEST_F(Accelerators, EnterAlwaysReachesTheSendCommandAndCtrlTOnlyWhileItIsEnabled) {
  Start();
  FocusTree();
  QTest::keyClick(&Dialog().Tree(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_TRUE(ran_.empty()) << "送信 is greyed while disconnected";
  QTest::keyClick(&Dialog().Tree(), Qt::Key_Return);
  EXPECT_EQ(ran_, std::vector<int>{kCmdSend});

  Dialog().ApplyConnectedEnabling();
  QTest::keyClick(&Dialog().Tree(), Qt::Key_Return);
  QTest::keyClick(&Dialog().Tree(), Qt::Key_T, Qt::ControlModifier);
  QLineEdit& edit = FocusCommandBox();
  edit.setText("AT");
  QTest::keyClick(&edit, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(ran_, std::vector<int>(4, kCmdSend));
  EXPECT_EQ(Dialog().CommandBox().count(), 0) << "the box never adds its own text";
  EXPECT_TRUE(Dialog().isVisible());
}

}  // namespace
}  // namespace vexa
