// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/UiSeam.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <vector>

#include "gui/seam/FileDialog.h"
#include "gui/seam/QtMenu.h"

namespace vexa::ui {
namespace {

Answerer* g_answerer = nullptr;

QMessageBox::Icon ToQtIcon(Icon icon) {
  switch (icon) {
    case Icon::kInformation:
      return QMessageBox::Information;
    case Icon::kWarning:
      return QMessageBox::Warning;
    case Icon::kQuestion:
      return QMessageBox::Question;
    case Icon::kStop:
      return QMessageBox::Critical;
    case Icon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

// The buttons with the texts Japanese message boxes show, and what each answers.
struct ButtonChoice {
  QMessageBox::StandardButton button;
  const char* text;
  Answer answer;
};
constexpr ButtonChoice kOkButton{QMessageBox::Ok, "OK", Answer::kOk};
constexpr ButtonChoice kCancelButton{QMessageBox::Cancel, "キャンセル", Answer::kCancel};
constexpr ButtonChoice kYesButton{QMessageBox::Yes, "はい(&Y)", Answer::kYes};
constexpr ButtonChoice kNoButton{QMessageBox::No, "いいえ(&N)", Answer::kNo};

Answer RunMessageBox(QWidget* parent, const MessageRequest& request) {
  QMessageBox box(ToQtIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                  parent);
  std::vector<ButtonChoice> choices = {kOkButton};
  switch (request.buttons) {
    case Buttons::kOk:
      break;
    case Buttons::kOkCancel:
      choices = {kOkButton, kCancelButton};
      break;
    case Buttons::kYesNo:
      choices = {kYesButton, kNoButton};
      break;
    case Buttons::kYesNoCancel:
      choices = {kYesButton, kNoButton, kCancelButton};
      break;
  }
  for (const ButtonChoice& choice : choices)
    box.addButton(choice.button)->setText(QString::fromUtf8(choice.text));
  box.setDefaultButton(choices.front().button);
  const auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const ButtonChoice& choice : choices) {
    if (choice.button == chosen) return choice.answer;
  }
  // Closed without a button: the box's escape answer.
  return request.buttons == Buttons::kYesNo ? Answer::kNo
         : request.buttons == Buttons::kOk  ? Answer::kOk
                                            : Answer::kCancel;
}

void HideEffects(QFontDialog& dialog) {
  for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
    if (!group->findChildren<QCheckBox*>().isEmpty()) group->hide();
  }
}

}  // namespace

void SetAnswerer(Answerer* answerer) {
  g_answerer = answerer;
}

Answer ShowMessage(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                   Buttons buttons) {
  const MessageRequest request{text, caption, icon, buttons};
  return g_answerer ? g_answerer->Message(request) : RunMessageBox(parent, request);
}

void ShowFailure(QWidget* parent, const char* text, const char* caption) {
  ShowMessage(parent, QString::fromUtf8(text), QString::fromUtf8(caption), Icon::kStop);
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileRequest& request) {
  return std::make_unique<FileDialog>(parent, request);
}

std::optional<QString> ChooseFile(QWidget* parent, const FileRequest& request) {
  if (g_answerer) return g_answerer->File(request);
  FileDialog dialog(parent, request);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) {
  // The dialog lists faces under the names they really have; a name that only a substitution
  // knows ("ＭＳ Ｐゴシック") is not among them, and the dialog would open on its first face.
  QFont shown = initial;
  shown.setFamily(QFontInfo(initial).family());
  if (g_answerer) return g_answerer->Font(shown);
  QFontDialog dialog(shown, parent);
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  HideEffects(dialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QFont chosen = dialog.selectedFont();
  chosen.setUnderline(false);
  chosen.setStrikeOut(false);
  return chosen;
}

int TrackMenu(QWidget* parent, const MenuDescription& menu, QPoint screenPoint) {
  if (g_answerer) return g_answerer->Menu(menu, screenPoint);
  QMenu popup(parent);
  FillMenu(popup, menu);
  int chosen = 0;
  // Reported by the menu for its submenus' entries too.
  QObject::connect(&popup, &QMenu::triggered,
                   [&chosen](const QAction* action) { chosen = action->data().toInt(); });
  popup.exec(screenPoint);
  return chosen;
}

bool OpenDocument(const QString& path) {
  if (g_answerer) return g_answerer->OpenDocument(path);
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void Beep() {
  if (g_answerer) {
    g_answerer->Beep();
    return;
  }
  QApplication::beep();
}

}  // namespace vexa::ui
