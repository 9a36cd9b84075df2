// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/UiSeam.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

namespace vexa {
namespace {

// Shows the real message box and presses the button with the given text.
ui::Answer PressInRealBox(ui::Buttons buttons, const QString& press, QStringList& seen,
                          QString& text) {
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->windowTitle() + "|" + box->text() + "|" + QString::number(box->icon());
    for (QAbstractButton* button : box->buttons()) seen << button->text();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == press) button->click();
    }
  });
  return ui::ShowMessage(nullptr, "保存しますか？", "Vexa", ui::Icon::kWarning, buttons);
}

TEST(UiSeam, RealMessageBoxesShowJapaneseButtonsAndAnswerWhatWasPressed) {
  struct Case {
    ui::Buttons buttons;
    QStringList texts;
    const char* press;
    ui::Answer answer;
  };
  const Case cases[] = {
      {ui::Buttons::kOk, {"OK"}, "OK", ui::Answer::kOk},
      {ui::Buttons::kOkCancel, {"OK", "キャンセル"}, "キャンセル", ui::Answer::kCancel},
      {ui::Buttons::kYesNo, {"はい(&Y)", "いいえ(&N)"}, "いいえ(&N)", ui::Answer::kNo},
      {ui::Buttons::kYesNoCancel,
       {"はい(&Y)", "いいえ(&N)", "キャンセル"},
       "はい(&Y)",
       ui::Answer::kYes},
  };
  for (const Case& c : cases) {
    QStringList seen;
    QString text;
    EXPECT_EQ(PressInRealBox(c.buttons, QString::fromUtf8(c.press), seen, text), c.answer);
    seen.sort();
    QStringList expected = c.texts;
    expected.sort();
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(text, "Vexa|保存しますか？|" + QString::number(QMessageBox::Warning));
  }
}

TEST(UiSeam, EscapeGivesTheBoxItsCancellingAnswer) {
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(ui::ShowMessage(nullptr, "x", "Vexa", ui::Icon::kStop, ui::Buttons::kYesNoCancel),
            ui::Answer::kCancel);
}

// "text", "text (grey)", "-", and a submenu's rows indented, as the real menu shows them.
QStringList RowsOf(const QMenu& menu, const QString& indent = {}) {
  QStringList rows;
  for (const QAction* action : menu.actions()) {
    if (action->isSeparator()) {
      rows << indent + "-";
      continue;
    }
    rows << indent + action->text() + (action->isEnabled() ? "" : " (grey)");
    if (action->menu()) rows << RowsOf(*action->menu(), indent + "  ");
  }
  return rows;
}

TEST(UiSeam, RealContextMenusShowTheDescriptionAndAnswerTheChosenId) {
  const MenuDescription description = {
      MenuEntry::Command(101, "挿入(&I)"),
      MenuEntry::Separator(),
      MenuEntry::Command(102, "削除(&D)", false),
      MenuEntry::Popup(
          "SUM計算(&S)", true,
          {MenuEntry::Popup("WORDで計算(&W)", false, {MenuEntry::Command(103, "累計(&0)")}),
           MenuEntry::Command(104, "累計(&0)")}),
  };
  QStringList rows;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    rows = RowsOf(*menu);
    QAction* byteTotal = menu->actions().at(3)->menu()->actions().at(1);
    byteTotal->trigger();
    menu->close();
  });
  EXPECT_EQ(ui::TrackMenu(nullptr, description, QPoint(40, 40)), 104);
  EXPECT_EQ(rows, (QStringList{"挿入(&I)", "-", "削除(&D) (grey)", "SUM計算(&S)",
                               "  WORDで計算(&W) (grey)", "    累計(&0)", "  累計(&0)"}));

  QTimer::singleShot(0, [] { QApplication::activePopupWidget()->close(); });
  EXPECT_EQ(ui::TrackMenu(nullptr, description, QPoint(40, 40)), 0) << "dismissed";
}

}  // namespace
}  // namespace vexa
