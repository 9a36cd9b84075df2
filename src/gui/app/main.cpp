// SPDX-License-Identifier: GPL-3.0-or-later
// Vexa: the window for checking devices on a serial line.

#include <unistd.h>
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/WindowArguments.h"
#include "gui/app/FontWarmUp.h"
#include "gui/app/Test3App.h"

namespace {

constexpr char kHelp[] =
    "Usage: vexa [OPTION]... [FILE.vxp]\n"
    "       vexa [OPTION]... -- FILE.vxp\n"
    "\n"
    "Vexa checks devices that talk over a serial line: it keeps a tree of named commands,\n"
    "sends them to the device once or periodically, answers the device automatically and\n"
    "shows what comes back, as text or HEX. Its window is in Japanese.\n"
    "\n"
    "FILE.vxp is the command file to open; its name must end in .vxp or .VXP. Without it,\n"
    "the command file used last is opened. A name that starts with \"-\" goes after \"--\".\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this text and stop.\n"
    "  --version    show the version and stop.\n"
    "Qt's own options, such as -style NAME or -platform NAME, are accepted before \"--\".\n"
    "\n"
    "Preferences are kept in $XDG_CONFIG_HOME/marlen/Vexa.reg (~/.config/marlen/Vexa.reg).\n"
    "See also: man vexa, vexa-run --help, vexa-tasim --help.\n";

constexpr char kVersion[] =
    "Vexa " VEXA_VERSION
    "\n"
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

// A failed write (a full disk, a closed pipe) must not end with success.
int Answer(const char* text) {
  if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
    std::perror("vexa: cannot write to standard output");
    return 1;
  }
  return 0;
}

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

// The words Qt may take its own options from: the program's name and the words before "--".
// The pointers point into the words, so the whole stays in place.
struct ToolkitArguments {
  ToolkitArguments(const char* program, const vexa::WindowArguments& arguments)
      : words{std::string(program)} {
    for (const std::string_view option : arguments.options) words.emplace_back(option);
    for (std::string& word : words) pointers.push_back(word.data());
    count = static_cast<int>(words.size());
    pointers.push_back(nullptr);
  }
  ToolkitArguments(const ToolkitArguments&) = delete;
  ToolkitArguments& operator=(const ToolkitArguments&) = delete;

  std::vector<std::string> words;
  std::vector<char*> pointers;
  int count = 0;
};

// The text after the program name, as the operator typed it: the words Qt left, then those
// after "--".
QString CommandLineText(const vexa::WindowArguments& arguments) {
  QStringList words = QCoreApplication::arguments();
  words.removeFirst();
  for (const std::string_view operand : arguments.operands) {
    words << QString::fromLocal8Bit(operand.data(), static_cast<qsizetype>(operand.size()));
  }
  return words.join(QLatin1Char(' '));
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> words(argv + 1, argv + argc);
  const vexa::WindowArguments arguments = vexa::ParseWindowArguments(words);
  switch (arguments.request) {
    case vexa::StartRequest::kHelp:
      return Answer(kHelp);
    case vexa::StartRequest::kVersion:
      return Answer(kVersion);
    case vexa::StartRequest::kWindow:
      break;
  }
  if (Empty("QT_QPA_PLATFORM") && Empty("DISPLAY") && Empty("WAYLAND_DISPLAY")) {
    std::fprintf(stderr, "vexa: no display: DISPLAY and WAYLAND_DISPLAY are empty\n");
    return 1;
  }
  vexa::FontWarmUp fonts;
  ToolkitArguments toolkit(argv[0], arguments);
  const QtMessageHandler standard = qInstallMessageHandler(StartupMessages);
  QApplication application(toolkit.count, toolkit.pointers.data());
  qInstallMessageHandler(standard);
  for (const QString& message : g_startupMessages)
    std::fprintf(stderr, "%s\n", qPrintable(message));
  QApplication::setApplicationName(QStringLiteral("Vexa"));
  // How the desktop finds the entry of this window (its name and icon in the task bar).
  QApplication::setDesktopFileName(QStringLiteral(VEXA_APP_ID));
  fonts.Finish();

  vexa::CTest3App vexa;
  return vexa.Run(CommandLineText(arguments));
}
