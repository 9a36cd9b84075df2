// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the settings dialogs as the main window's commands open them, with a sample
// item selected, so that their layout can be looked at.
//
//   bench_dialog_shots FOLDER   saves propaty.png, file-propaty.png and cmd-attr.png there
//                               and prints each dialog's caption; propaty-ports.png with
//                               the port list open on this machine's devices; then,
//                               connected to a pseudo-terminal, propaty-connected.png and
//                               edit-menu-crc.png, the command box's menu with its CRCs;
//                               link-menu.png, the 通信 menu; reconnect-waiting.png and
//                               reconnected.png, a device behind a by-id-like name unplugged
//                               and plugged in again with 自動再接続 on

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/workspace/Workspace.h"
#include "gui/app/Test3App.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/controls/PortComboBox.h"
#include "gui/window/Test3Dlg.h"
#include "support/PluggedDevice.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"

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

// The screen around `windows`: popups are windows of their own, outside any grab of the
// dialog.
void SaveScreenAround(std::initializer_list<const QWidget*> windows, const QString& file) {
  QRect area;
  for (const QWidget* window : windows) area |= window->frameGeometry();
  QGuiApplication::primaryScreen()->grabWindow(0).copy(area.adjusted(-8, -8, 8, 8)).save(file);
  std::printf("%s\n", qPrintable(file));
}

// The settings dialog with its port list dropped down.
void ShootPortList(vexa::CTest3Dlg& window, const QString& file) {
  QTimer::singleShot(300, [file] {
    auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    auto* port = shown ? shown->findChild<vexa::CPortComboBox*>(QStringLiteral("port")) : nullptr;
    if (!port) {
      std::fprintf(stderr, "no port list for %s\n", qPrintable(file));
      return;
    }
    port->showPopup();
    QTimer::singleShot(300, [shown, port, file] {
      SaveScreenAround({shown, port->view()->window()}, file);
      port->hidePopup();
      shown->reject();
    });
  });
  window.ExecuteCommand(vexa::kCmdCommSettings);
}

void Press(QWidget* target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
}

// The command box's edit menu over a Modbus request, its CRC popup open.
void ShootCrcMenu(vexa::CTest3Dlg& window, const QString& file) {
  vexa::CComboBoxSum& box = window.CommandBox();
  box.SetCommandText(QStringLiteral("01030000000A"));
  QTimer::singleShot(300, [&window, file] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    const QList<QAction*> actions = menu ? menu->actions() : QList<QAction*>();
    const auto crc = std::find_if(actions.begin(), actions.end(), [](const QAction* action) {
      return action->text() == QStringLiteral("CRC(&R)");
    });
    if (crc == actions.end()) {
      std::fprintf(stderr, "no CRC entry for %s\n", qPrintable(file));
      if (menu) menu->close();
      return;
    }
    menu->setActiveAction(*crc);
    Press(menu, Qt::Key_Right);
    QTimer::singleShot(300, [&window, menu, crc = (*crc)->menu(), file] {
      SaveScreenAround({&window, menu, crc}, file);
      crc->close();
      menu->close();
    });
  });
  box.ShowEditMenu(box.lineEdit()->mapToGlobal(box.lineEdit()->rect().center()));
}

// The menu bar's 通信 menu, dropped down.
void ShootLinkMenu(vexa::CTest3Dlg& window, const QString& file) {
  QMenu* link = nullptr;
  for (QAction* action : window.MenuBar()->actions()) {
    if (action->text() == QStringLiteral("通信(&C)")) link = action->menu();
  }
  if (!link) {
    std::fprintf(stderr, "no 通信 menu for %s\n", qPrintable(file));
    return;
  }
  QTimer::singleShot(300, [&window, link, file] {
    SaveScreenAround({&window, link}, file);
    link->close();
  });
  link->exec(window.MenuBar()->mapToGlobal(window.MenuBar()->rect().bottomLeft()));
}

bool WaitFor(const std::function<bool()>& condition) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > 5000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// The window while the device is away, and once it is back.
void ShootReconnection(vexa::CTest3App& app, vexa::CTest3Dlg& window, const QString& folder) {
  vexa::test::TempDir dir;
  vexa::test::PluggedDevice plugged(dir.File("usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"));
  app.Work().Settings().portName = plugged.Path();
  window.SetCommandCheck(vexa::kCmdReconnect, true);
  window.ExecuteCommand(vexa::kCmdConnect);
  plugged.Device().Write("RING\r\nCONNECT 9600\r\n");
  WaitFor([&] { return window.AnswerList().Count() >= 2; });
  plugged.Unplug();
  const auto waiting = [&] { return window.StatusText().text().startsWith("再接続待ち"); };
  if (WaitFor(waiting)) window.grab().save(folder + "/reconnect-waiting.png");
  std::printf("%s: \"%s\"\n", qPrintable(folder + "/reconnect-waiting.png"),
              window.StatusText().text().toUtf8().constData());
  plugged.Plug();
  if (WaitFor([&] { return !waiting(); })) {
    plugged.Device().Write("OK\r\n");
    WaitFor([&] { return window.AnswerList().Count() >= 4; });
    window.grab().save(folder + "/reconnected.png");
    std::printf("%s\n", qPrintable(folder + "/reconnected.png"));
  }
  window.ExecuteCommand(vexa::kCmdDisconnect);
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
    ShootPortList(*window, folder + "/propaty-ports.png");
    vexa::test::PseudoTerminal device;
    app.Work().Settings().portName = device.PortPath();
    window->ExecuteCommand(vexa::kCmdConnect);
    Shoot(*window, vexa::kCmdCommSettings, folder + "/propaty-connected.png");
    ShootCrcMenu(*window, folder + "/edit-menu-crc.png");
    window->ExecuteCommand(vexa::kCmdDisconnect);
    ShootLinkMenu(*window, folder + "/link-menu.png");
    ShootReconnection(app, *window, folder);
    window->reject();
  });
  window->DoModal();
  return 0;
}
