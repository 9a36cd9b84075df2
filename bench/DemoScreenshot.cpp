// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the README's screenshot: the real main window on the demo command file, connected to
// a running vexa-tasim, after a few commands sent from the tree and a call that the demo's
// automatic answer took. scripts/screenshot runs it under Xvfb.
//
// Given a folder, it shows arrival times and sent lines from the start (and sends AT every
// 800 ms), and then takes three more there: answer-list.png, find-bar.png (a match of "OK")
// and context-menu.png (the answer list's right-button menu over two selected lines; the
// whole screen, so that the menu is in it).
//
//   demo_screenshot PORT DEMO_FILE OUTPUT.png [FOLDER]

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/files/CommandFile.h"
#include "core/workspace/Workspace.h"
#include "gui/app/Test3App.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/controls/FindBar.h"
#include "gui/features/AnswerListCommands.h"
#include "gui/window/Test3Dlg.h"

namespace {

using vexa::CTest3Dlg;

constexpr int kPatienceMs = 20000;

bool WaitFor(const std::function<bool()>& condition, int limitMs = kPatienceMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

// Lets the window draw what arrived last (the answer list takes lines in batches).
void Settle() {
  WaitFor([] { return false; }, 500);
}

// The answer list has a line after `from` that ends with `end`.
bool WaitForLineEnding(const CTest3Dlg& dialog, int from, const QString& end) {
  return WaitFor([&] {
    for (int i = from; i < dialog.AnswerList().Count(); ++i) {
      if (dialog.AnswerList().ShownText(i).endsWith(end)) return true;
    }
    return false;
  });
}

// The first item with the label, below `under` or anywhere.
QTreeWidgetItem* FindItem(const CTest3Dlg& dialog, const char* labelUtf8,
                          QTreeWidgetItem* under = nullptr) {
  const std::string label = vexa::Utf8ToCp932(labelUtf8);
  vexa::ItemHandle found = nullptr;
  vexa::ForEachItem(dialog.Tree(), vexa::CCmdTree::HandleOf(under),
                    [&](vexa::ItemHandle item, int) {
                      if (!found && dialog.Tree().Record(item)->label == label) found = item;
                    });
  return vexa::CCmdTree::ItemOf(found);
}

// Selects the item in the tree and sends it as the operator would: 送信 with an empty box.
bool SendFromTree(CTest3Dlg& dialog, const char* labelUtf8, const QString& lastLine) {
  QTreeWidgetItem* item = FindItem(dialog, labelUtf8);
  if (!item) return false;
  dialog.Tree().setCurrentItem(item);
  dialog.CommandBox().setEditText(QString());
  const int before = dialog.AnswerList().Count();
  dialog.ExecuteCommand(vexa::kCmdSend);
  return WaitForLineEnding(dialog, before, lastLine);
}

int Fail(const char* what) {
  std::fprintf(stderr, "demo_screenshot: %s\n", what);
  return 1;
}

// Arrival times and sent lines shown, and AT sent every 800 ms.
bool ShowTimesAndSentLines(vexa::CTest3App& app) {
  CTest3Dlg& dialog = app.Window();
  dialog.ExecuteCommand(vexa::kCmdShowTimes);
  dialog.ExecuteCommand(vexa::kCmdShowSent);
  QTreeWidgetItem* hello = FindItem(dialog, "御機嫌伺い;AT");
  if (!hello) return false;
  vexa::CAttr periodic = *dialog.Tree().Record(vexa::CCmdTree::HandleOf(hello));
  periodic.repeatPeriod = 800;
  app.Work().ReplaceItemDetails(vexa::CCmdTree::HandleOf(hello), periodic);
  return true;
}

// The list, the find bar on a match of "OK", and the right-button menu over two lines.
int TakeAnswerListShots(vexa::CTest3App& app, const QString& folder) {
  CTest3Dlg& dialog = app.Window();
  if (!dialog.grab().save(folder + "/answer-list.png")) return Fail("cannot save answer-list");
  vexa::AnswerListCommands& commands = app.AnswerListView();
  commands.OpenFind();
  dialog.FindBar().Field().setText(QStringLiteral("OK"));
  commands.FindAgain(false);
  commands.FindAgain(false);
  Settle();
  if (!dialog.grab().save(folder + "/find-bar.png")) return Fail("cannot save find-bar");
  commands.CloseFind();

  vexa::CAnswerList& list = dialog.AnswerList();
  const int last = list.Count() - 1;
  list.selectionModel()->select(list.model()->index(last - 1, 0), QItemSelectionModel::Select);
  list.selectionModel()->select(list.model()->index(last, 0), QItemSelectionModel::Select);
  Settle();
  bool saved = false;
  QTimer::singleShot(500, [&] {
    saved = QGuiApplication::primaryScreen()->grabWindow(0).save(folder + "/context-menu.png");
    if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
  });
  const QPoint at = list.visualRect(list.model()->index(last, 0)).center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
  QApplication::sendEvent(list.viewport(), &event);
  return saved ? 0 : Fail("cannot save context-menu");
}

int TakeScreenshot(const std::string& port, const std::string& demoFile, const QString& output,
                   const QString& answerListFolder) {
  vexa::CTest3App app;
  CTest3Dlg* dialog = &app.CreateMainDialog(QString());
  dialog->OnInitDialog();
  dialog->resize(820, 520);
  dialog->show();

  const vexa::CommandFileLoad load = app.Work().LoadFile(demoFile);
  if (load.readResult != vexa::FileRead::kOk) return Fail("cannot load the demo file");
  app.Work().Settings().portName = port;
  dialog->ExecuteCommand(vexa::kCmdConnect);
  if (!app.Work().IsConnected()) return Fail("cannot connect");

  if (!answerListFolder.isEmpty() && !ShowTimesAndSentLines(app)) {
    return Fail("the demo file has no 御機嫌伺い");
  }
  QTreeWidgetItem* demo = FindItem(*dialog, "デモ");
  if (!demo) return Fail("the demo file has no デモ heading");
  for (const char* group : {"環境", "装置ｺｰﾄﾞ", "デモ"}) {
    if (QTreeWidgetItem* item = FindItem(*dialog, group)) item->setExpanded(true);
  }
  const bool answered = SendFromTree(*dialog, "御機嫌伺い;AT", "OK") &&
                        SendFromTree(*dialog, "装置ｺｰﾄﾞ表示;ATI0", "OK") &&
                        SendFromTree(*dialog, "装置ﾒｰｶｰ表示;ATI4", "OK");
  if (!answered) return Fail("the adapter did not answer");
  // The caller rings; the demo's automatic answer sends ATA and the adapter connects.
  if (!WaitForLineEnding(*dialog, 0, QStringLiteral("CONNECT")))
    return Fail("no call was answered");
  dialog->Tree().setCurrentItem(FindItem(*dialog, "着信応答;ATA", demo));
  Settle();
  if (!dialog->grab().save(output)) return Fail("cannot save the screenshot");
  return answerListFolder.isEmpty() ? 0 : TakeAnswerListShots(app, answerListFolder);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: demo_screenshot PORT DEMO_FILE OUTPUT.png [FOLDER]\n");
    return 2;
  }
  return TakeScreenshot(argv[1], argv[2], QString::fromLocal8Bit(argv[3]),
                        argc == 5 ? QString::fromLocal8Bit(argv[4]) : QString());
}
