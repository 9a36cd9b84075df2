#include "platform/UiSeam.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace vexa {
namespace {

// Shows the real message box and presses the button with the given text.
ui::Answer PressInRealBox(ui::Buttons buttons, const QString& press, QStringList& seen, QString& text) {
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
      {ui::Buttons::kYesNoCancel, {"はい(&Y)", "いいえ(&N)", "キャンセル"}, "はい(&Y)", ui::Answer::kYes},
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

}  // namespace
}  // namespace vexa
