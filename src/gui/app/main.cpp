// SPDX-License-Identifier: GPL-3.0-or-later
// Vexa: the window for checking devices on a serial line.

#include <unistd.h>
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "gui/app/Test3App.h"

namespace {

bool Empty(const char* variable) {
  const char* value = std::getenv(variable);
  return !value || value[0] == '\0';
}

// Qt ends the process with abort() when no platform can be opened; say it in one line instead.
// What Qt reports while it starts is held back and shown only if the start succeeds.
QStringList g_startupMessages;

void StartupMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) {
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr, "vexa: cannot open the display \"%s\"\n", display ? display : "");
    ::_exit(1);
  }
  g_startupMessages << message;
}

// The text after the program name, as the operator typed it.
QString CommandLineText() {
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  return arguments.join(QLatin1Char(' '));
}

}  // namespace

int main(int argc, char** argv) {
  if (Empty("QT_QPA_PLATFORM") && Empty("DISPLAY") && Empty("WAYLAND_DISPLAY")) {
    std::fprintf(stderr, "vexa: no display: DISPLAY and WAYLAND_DISPLAY are empty\n");
    return 1;
  }
  const QtMessageHandler standard = qInstallMessageHandler(StartupMessages);
  QApplication application(argc, argv);
  qInstallMessageHandler(standard);
  for (const QString& message : g_startupMessages)
    std::fprintf(stderr, "%s\n", qPrintable(message));
  QApplication::setApplicationName(QStringLiteral("Vexa"));

  vexa::CTest3App vexa;
  return vexa.Run(CommandLineText());
}
