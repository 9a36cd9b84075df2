// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/features/AnswerListCommands.h"

#include <QAction>
#include <QFile>

#include "core/AppName.h"
#include "core/CommandIds.h"
#include "core/codec/Codec.h"
#include "core/files/CommandFile.h"
#include "core/settings/Preferences.h"
#include "core/workspace/AnswerListMenu.h"
#include "core/workspace/Workspace.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/FindBar.h"
#include "gui/seam/UiSeam.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {
namespace {

constexpr char kTextFilter[] = "ﾃｷｽﾄﾌｧｲﾙ (*.txt)";

}  // namespace

AnswerListCommands::AnswerListCommands(CTest3Dlg& window, Workspace& work, Preferences& preferences)
    : window_(window), work_(work), preferences_(preferences) {
  window_.SetCommandHandler(kCmdShowTimes, [this] { ToggleTimes(); });
  window_.SetCommandHandler(kCmdShowSent, [this] { ToggleSent(); });
  ApplyTimes(preferences_.ReadShowTimes().value_or(false));
  ApplySent(preferences_.ReadShowSent().value_or(false));

  CAnswerList& list = window_.AnswerList();
  connect(&list, &CAnswerList::findRequested, this, &AnswerListCommands::OpenFind);
  connect(&list, &CAnswerList::findAgainRequested, this, &AnswerListCommands::FindAgain);
  connect(&list, &CAnswerList::findCloseRequested, this, &AnswerListCommands::CloseFind);
  connect(&list, &QWidget::customContextMenuRequested, this, &AnswerListCommands::ShowContextMenu);
  CFindBar& bar = window_.FindBar();
  connect(&bar, &CFindBar::findNext, this, [this] { FindAgain(true); });
  connect(&bar, &CFindBar::findPrevious, this, [this] { FindAgain(false); });
  connect(&bar, &CFindBar::closeRequested, this, &AnswerListCommands::CloseFind);
  connect(window_.CommandAction(kCmdReceiveHex), &QAction::toggled, &bar,
          &CFindBar::SetHexAvailable);
}

void AnswerListCommands::ToggleTimes() {
  const bool on = !window_.IsCommandChecked(kCmdShowTimes);
  ApplyTimes(on);
  preferences_.WriteShowTimes(on);
}

void AnswerListCommands::ToggleSent() {
  const bool on = !window_.IsCommandChecked(kCmdShowSent);
  ApplySent(on);
  preferences_.WriteShowSent(on);
}

void AnswerListCommands::ApplyTimes(bool on) {
  window_.SetCommandCheck(kCmdShowTimes, on);
  window_.AnswerList().SetTimesShown(on);
}

// Writes from now on are shown; the lines already in the list stay as they are.
void AnswerListCommands::ApplySent(bool on) {
  window_.SetCommandCheck(kCmdShowSent, on);
  work_.SetSentLinesShown(on);
}

void AnswerListCommands::OpenFind() {
  CFindBar& bar = window_.FindBar();
  bar.SetHexAvailable(window_.IsCommandChecked(kCmdReceiveHex));
  window_.ShowFindBar(true);
  window_.AnswerList().SetFindOpen(true);
  bar.FocusField();
}

void AnswerListCommands::FindAgain(bool forward) {
  CFindBar& bar = window_.FindBar();
  CAnswerList& list = window_.AnswerList();
  const FindQuery query = bar.Query();
  if (query.text.isEmpty()) return;
  if (query.hex && !HexSearchDigits(query.text.toStdString())) {
    bar.ShowOutcome(CFindBar::Outcome::kNotHex);
    ui::Beep();
    return;
  }
  const std::optional<FindMatch> match = list.Find(query, forward);
  if (!match) {
    list.EndFind();
    bar.ShowOutcome(CFindBar::Outcome::kNotFound);
    ui::Beep();
    return;
  }
  list.ShowMatch(query, *match);
  bar.ShowOutcome(CFindBar::Outcome::kFound);
}

void AnswerListCommands::CloseFind() {
  CAnswerList& list = window_.AnswerList();
  list.EndFind();
  list.SetFindOpen(false);
  window_.ShowFindBar(false);
  list.setFocus(Qt::OtherFocusReason);
}

void AnswerListCommands::ClearList() {
  window_.AnswerList().Reset();
}

void AnswerListCommands::SaveList() {
  const CAnswerList& list = window_.AnswerList();
  ui::FileRequest request;
  request.mode = ui::FileRequest::Mode::kSave;
  request.filter = QString::fromUtf8(kTextFilter);
  request.initialName = QStringLiteral("*.txt");
  request.defaultExtension = QStringLiteral("txt");
  const std::optional<QString> chosen = ui::ChooseFile(&window_, request);
  if (!chosen) return;
  QString text;
  for (int row = 0; row < list.Count(); ++row) text += list.LineAsShown(row) + QLatin1Char('\n');
  const SaveResult result =
      SaveFileContent(QFile::encodeName(*chosen).toStdString(), text.toStdString());
  if (result != SaveResult::kOk) ui::ShowFailure(&window_, SaveFailureMessage(result), kAppName);
}

void AnswerListCommands::ShowContextMenu(QPoint viewportPoint) {
  CAnswerList& list = window_.AnswerList();
  const MenuDescription menu =
      AnswerListMenuDescription(list.selectionModel()->hasSelection(), list.Count() == 0);
  switch (ui::TrackMenu(&list, menu, list.viewport()->mapToGlobal(viewportPoint))) {
    case kCmdAnswerCopy:
      list.CopySelection();
      break;
    case kCmdAnswerSelectAll:
      list.selectAll();
      break;
    case kCmdAnswerFind:
      OpenFind();
      break;
    case kCmdAnswerClear:
      ClearList();
      break;
    case kCmdAnswerSave:
      SaveList();
      break;
    default:
      break;
  }
}

}  // namespace vexa
