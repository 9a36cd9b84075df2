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

// The CRC popup's row of the last menu shown, after the editing and checksum rows.
std::string CrcRow(const test::ScriptedUi& ui) {
  return test::Rows({ui.menus.back().entries.at(11)}).front();
}

TEST_F(EditFields, CrcEntriesAppendTheirDigitsAfterWhatTheyCoverAndSelectThem) {
  struct Case {
    const char* text;
    int start, length;  // the selection; length 0: the caret at start
    int id;
    const char* after;
    const char* selected;
    const char* crcRow;
  };
  const Case cases[] = {
      {"01030000000A", 5, 0, kIdCrc16Modbus, "01030000000AC5CD", "C5CD", "CRC(&R)"},
      {"AA01030000000ABB", 2, 12, kIdCrc16Modbus, "AA01030000000AC5CDBB", "C5CD", "CRC(&R)"},
      {"313233343536373839", 0, 18, kIdCrc32, "313233343536373839CBF43926", "CBF43926", "CRC(&R)"},
      {"0102", 0, 0, kIdBcc, "010203", "03", "CRC(&R)"},
      {"AT+CRC", 0, 0, kIdBcc, "AT+CRC", "", "CRC(&R) (grey)"},
      {"0102 03", 0, 0, kIdBcc, "0102 03", "", "CRC(&R) (grey)"},
      {"010", 0, 0, kIdBcc, "010", "", "CRC(&R) (grey)"},
      {"0102", 1, 1, kIdBcc, "0102", "1", "CRC(&R) (grey)"},  // one digit: left as it was
  };
  const auto select = [](QLineEdit& edit, const Case& c) {
    if (c.length == 0) {
      edit.setCursorPosition(c.start);
    } else {
      edit.setSelection(c.start, c.length);
    }
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CCmdEditBox field;
    field.show();
    field.ResetText(c.text);
    select(field, c);
    ui_.menuAnswers = {c.id};
    OpenMenu(field);
    EXPECT_EQ(CrcRow(ui_), c.crcRow) << "item editor";
    EXPECT_EQ(field.text(), c.after) << "item editor";
    EXPECT_EQ(field.selectedText(), c.selected) << "item editor";
    field.RunEditCommand(kIdEditUndo);
    EXPECT_EQ(field.text(), c.text) << "item editor: one undoable insertion";

    CComboBoxSum box;
    box.show();
    box.SetCommandText(c.text);
    select(*box.lineEdit(), c);
    ui_.menuAnswers = {c.id};
    QTest::mouseRelease(box.lineEdit(), Qt::RightButton);
    EXPECT_EQ(CrcRow(ui_), c.crcRow) << "command box";
    EXPECT_EQ(box.currentText(), c.after) << "command box";
    EXPECT_EQ(box.lineEdit()->selectedText(), c.selected) << "command box";
    if (std::string(c.after) != c.text) {
      box.Undo();
      EXPECT_EQ(box.currentText(), c.text) << "command box: undo takes the digits away";
    }
  }
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
