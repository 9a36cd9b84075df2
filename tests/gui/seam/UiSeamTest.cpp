// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/UiSeam.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/UniqueFd.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

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

// The face a font asks for may not exist under that name; the dialog must show the face used.
TEST(UiSeam, TheFontDialogOpensOnTheFaceTheFontResolvesTo) {
  const QFont initial(QString::fromUtf8("ＭＳ Ｐゴシック"), 9);
  const QString face = QFontInfo(initial).family();
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shown = dialog->currentFont().family();
    dialog->accept();
  });
  const std::optional<QFont> chosen = ui::ChooseFont(nullptr, initial);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(shown, face);
  EXPECT_EQ(chosen->family(), face) << "OK without a change keeps the face";
  EXPECT_EQ(chosen->pointSize(), 9);
}

QString FolderOf(const test::TempDir& dir) {
  return QString::fromStdString(dir.path().string());
}

TEST(UiSeam, FileDialogsShowTheInitialNameAndRefuseAFolderThatDoesNotExist) {
  const test::TempDir dir;
  test::ScriptedUi ui;  // takes the dialog's own message
  const auto dialog = ui::MakeFileDialog(
      nullptr, {ui::FileRequest::Mode::kSave, "ﾛｸﾞﾌｧｲﾙ (*.log)", "*.log", FolderOf(dir), ""});
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), "*.log");
  dialog->show();
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_TRUE(dialog->isVisible()) << "a pattern names no file";
  name->setText("missing/x.log");
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_TRUE(dialog->isVisible());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, FolderOf(dir) +
                                     "/missing/x.log\nパスが存在しません。\n"
                                     "パスを確認してからやり直してください。");
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::kWarning);
  name->setText("x.log");
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(dialog->selectedFiles(), QStringList{FolderOf(dir) + "/x.log"});
}

// Reading /proc/kmsg to guess its type never returns: no file is read to show it, and no
// dialog starts among the kernel's files.
TEST(UiSeam, FileDialogsNeverReadFilesToShowThemNorStartInSystemFolders) {
  const ui::FileRequest::Mode open = ui::FileRequest::Mode::kOpen;
  for (const char* folder : {"/proc", "/proc/self/fd", "/sys/kernel", "/dev", "/dev/fd"}) {
    const auto dialog = ui::MakeFileDialog(nullptr, {open, "*.vxp", "*.vxp", folder, "vxp"});
    const QString start = dialog->directory().canonicalPath();
    for (const char* system : {"/proc", "/sys", "/dev"}) {
      EXPECT_FALSE(start == system || start.startsWith(QString(system) + "/"))
          << folder << " -> " << start.toStdString();
    }
  }
  const test::TempDir dir;
  const std::string file = dir.File("notes");
  test::WriteFile(file, "%PDF-1.4\n");
  const auto dialog = ui::MakeFileDialog(nullptr, {open, "*.vxp", "*.vxp", FolderOf(dir), "vxp"});
  EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog))
      << "a desktop's own dialog would guess types its own way";
  const UniqueFd watch(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  ASSERT_GE(inotify_add_watch(watch.get(), file.c_str(), IN_OPEN | IN_ACCESS), 0);
  const QFileInfo info(QString::fromStdString(file));
  const QAbstractFileIconProvider* icons = dialog->iconProvider();
  ASSERT_NE(icons, nullptr);
  EXPECT_FALSE(icons->icon(info).isNull());
  EXPECT_FALSE(icons->type(info).isEmpty());
  char event[256];
  EXPECT_LT(::read(watch.get(), event, sizeof event), 0) << "the file was opened";
}

}  // namespace
}  // namespace vexa
