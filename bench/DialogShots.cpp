// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the settings dialogs as the main window's commands open them, with a sample
// item selected, so that their layout can be looked at.
//
//   bench_dialog_shots FOLDER   saves propaty.png, file-propaty.png and cmd-attr.png there
//                               and prints each dialog's caption; then, connected to a
//                               pseudo-terminal, propaty-connected.png

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/workspace/Workspace.h"
#include "gui/app/Test3App.h"
#include "gui/controls/CmdTree.h"
#include "gui/window/Test3Dlg.h"
#include "support/PseudoTerminal.h"

namespace {

std::unique_ptr<vexa::CAttr> SampleItem() {
  auto item = std::make_unique<vexa::CAttr>();
  item->sendDescription = vexa::Utf8ToCp932("着信応答");
  item->sendText = "ATA";
  item->label = item->sendDescription + ";" + item->sendText;
  item->sendKind = vexa::kKindText;
  item->receiveDescription = vexa::Utf8ToCp932("呼出し");
  item->receiveText = "RING";
  item->receiveKind = vexa::kKindText;
  item->repeatPeriod = 16776960;
  item->answerDelay = 500;
  return item;
}

// Saves the dialog the command opens, then closes it.
void Shoot(vexa::CTest3Dlg& window, int command, const QString& file) {
  QTimer::singleShot(300, [file] {
    auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!shown) {
      std::fprintf(stderr, "no dialog for %s\n", qPrintable(file));
      return;
    }
    shown->grab().save(file);
    std::printf("%s: \"%s\"\n", qPrintable(file), shown->windowTitle().toUtf8().constData());
    shown->reject();
  });
  window.ExecuteCommand(command);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_dialog_shots FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  vexa::CTest3App app;
  vexa::CTest3Dlg* window = &app.CreateMainDialog(QString());
  QTimer::singleShot(300, [&] {
    window->Tree().AppendItem(nullptr, SampleItem());
    window->Tree().SelectFirstItem();
    Shoot(*window, vexa::kCmdCommSettings, folder + "/propaty.png");
    Shoot(*window, vexa::kCmdEditSettings, folder + "/file-propaty.png");
    Shoot(*window, vexa::kCmdItemDetails, folder + "/cmd-attr.png");
    vexa::test::PseudoTerminal device;
    app.Work().Settings().portName = device.PortPath();
    window->ExecuteCommand(vexa::kCmdConnect);
    Shoot(*window, vexa::kCmdCommSettings, folder + "/propaty-connected.png");
    window->ExecuteCommand(vexa::kCmdDisconnect);
    window->reject();
  });
  window->DoModal();
  return 0;
}
