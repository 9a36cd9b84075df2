// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the README's screenshot: the real main window on the demo command file, connected to
// a running vexa-tasim, after a few commands sent from the tree and a call that the demo's
// automatic answer took. scripts/screenshot runs it under Xvfb.
//
//   demo_screenshot PORT DEMO_FILE OUTPUT.png

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>
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

int TakeScreenshot(const std::string& port, const std::string& demoFile, const QString& output) {
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
  return dialog->grab().save(output) ? 0 : Fail("cannot save the screenshot");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: demo_screenshot PORT DEMO_FILE OUTPUT.png\n");
    return 2;
  }
  return TakeScreenshot(argv[1], argv[2], QString::fromLocal8Bit(argv[3]));
}
