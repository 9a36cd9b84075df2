// SPDX-License-Identifier: GPL-3.0-or-later
// The edit menus of the item editor's field and of the command box, with real widgets.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QTest>

#include "core/settings/EditMenu.h"
#include "gui/controls/CmdEditBox.h"
#include "gui/controls/ComboBoxSum.h"
#include "support/MenuText.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUi.h"

namespace vexa {
namespace {

using Rows = std::vector<std::string>;

// The editing rows of the last menu shown, without the checksum rows.
Rows EditingRows(const test::ScriptedUi& ui) {
  Rows rows = test::Rows(ui.menus.back().entries);
  rows.resize(8);
  return rows;
}

class EditFields : public ::testing::Test {
 protected:
  void OpenMenu(CCmdEditBox& field) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            field.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&field, &event);
  }
  test::ScriptedUi ui_;
};

TEST_F(EditFields, AnEmptyFieldGreysEverythingButWhatTheClipboardAllows) {
  CCmdEditBox field;
  QApplication::clipboard()->clear();
  OpenMenu(field);
  EXPECT_EQ(EditingRows(ui_),
            (Rows{"元に戻す(&U) (grey)", "-", "切り取り(&T) (grey)", "ｺﾋﾟｰ(&C) (grey)",
                  "貼り付け(&P) (grey)", "削除(&D) (grey)", "-", "すべて選択(&A) (grey)"}));
  EXPECT_EQ(test::Rows(ui_.menus.back().entries)[10], "SUM計算(&S) (grey)");
  QApplication::clipboard()->setText("ATZ");
  OpenMenu(field);
  EXPECT_EQ(EditingRows(ui_)[4], "貼り付け(&P)");
  ui_.menuAnswers = {kIdEditPaste};
  OpenMenu(field);
  EXPECT_EQ(field.text(), "ATZ") << "the chosen entry acts on the field";
}

TEST_F(EditFields, PastingTheSumIsOneUndoableReplacement) {
  CCmdEditBox field;
  field.show();
  field.ResetText("0102");
  field.selectAll();
  ui_.menuAnswers = {kIdByteTotal};
  OpenMenu(field);
  ASSERT_EQ(field.Sum().SumText(), "03");
  field.setSelection(2, 2);  // "02"
  ui_.menuAnswers = {kIdPasteSum};
  OpenMenu(field);
  EXPECT_EQ(field.text(), "0103");
  field.RunEditCommand(kIdEditUndo);
  EXPECT_EQ(field.text(), "0102");
  field.hide();
  field.show();
  EXPECT_EQ(field.Sum().SumText(), "") << "showing the field forgets the sum";
}

TEST_F(EditFields, CommandBoxUndoAndRedoAlternateAfterAListChoice) {
  CComboBoxSum box;
  box.addItems({"ATZ", "ATI"});
  box.SetCommandText("AT");
  EXPECT_EQ(box.CurrentText(), "AT");
  EXPECT_EQ(box.currentText(), "AT");
  EXPECT_TRUE(box.UndoAvailable()) << "the shown text changed";
  box.setCurrentIndex(1);  // the operator picks ATI
  EXPECT_TRUE(box.SelectFromList());
  EXPECT_EQ(box.currentText(), "ATI");
  box.RunEditCommand(kIdEditUndo);
  EXPECT_EQ(box.currentText(), "AT");
  box.RunEditCommand(kIdEditUndo);
  EXPECT_EQ(box.currentText(), "ATI");
  box.setCurrentIndex(1);
  EXPECT_FALSE(box.SelectFromList()) << "the same text again";
}

TEST_F(EditFields, CommandBoxTypingIsTrackedForItsUndo) {
  CComboBoxSum box;
  box.show();
  EXPECT_FALSE(box.UndoAvailable());
  QTest::keyClicks(box.lineEdit(), "AT");
  EXPECT_TRUE(box.UndoAvailable());
  EXPECT_EQ(box.CurrentText(), "AT");
  EXPECT_EQ(box.PreviousText(), "A");
  box.Undo();
  EXPECT_EQ(box.currentText(), "A");
}

TEST_F(EditFields, CommandBoxPastesTheSumAtTheCaret) {
  CComboBoxSum box;
  box.SetCommandText("0102");
  box.lineEdit()->selectAll();
  box.RunEditCommand(kIdByteTotal);
  ASSERT_EQ(box.Sum().SumText(), "03");
  box.lineEdit()->setCursorPosition(2);
  box.RunEditCommand(kIdPasteSum);
  EXPECT_EQ(box.currentText(), "010302");
  EXPECT_EQ(box.lineEdit()->selectedText(), "03");
  box.Undo();
  EXPECT_EQ(box.currentText(), "0102") << "undo restores the text before the paste";
}

TEST_F(EditFields, CommandBoxMenuComesOnTheRightButtonRelease) {
  CComboBoxSum box;
  box.show();
  QTest::mousePress(box.lineEdit(), Qt::RightButton);
  EXPECT_TRUE(ui_.menus.empty()) << "not on the press";
  QTest::mouseRelease(box.lineEdit(), Qt::RightButton);
  ASSERT_EQ(ui_.menus.size(), 1u);
  EXPECT_EQ(EditingRows(ui_)[0], "元に戻す(&U) (grey)") << "the box has not changed yet";
  EXPECT_EQ(ui_.menus[0].screenPoint, box.lineEdit()->mapToGlobal(box.lineEdit()->rect().center()));
}

}  // namespace
}  // namespace vexa
