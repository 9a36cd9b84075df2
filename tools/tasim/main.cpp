// SPDX-License-Identifier: GPL-3.0-or-later
// vexa-tasim: a simulated ISDN terminal adapter on a pseudo-terminal, so that Vexa can be
// tried without hardware.

#include <signal.h>
#include <sys/signalfd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"
#include "tasim/DeviceLink.h"
#include "tasim/PseudoTerminal.h"
#include "tasim/Simulator.h"
#include "tasim/SystemError.h"

namespace vexa::tasim {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxRingSeconds = 86400;

constexpr std::string_view kHelp =
    "Usage: vexa-tasim [--link PATH] [--ring SECONDS] [--keep]\n"
    "\n"
    "A simulated ISDN terminal adapter on a pseudo-terminal, for trying Vexa without\n"
    "hardware. It answers Hayes-style AT commands, the built-in command set of Vexa among\n"
    "them: echo, result codes, S-registers, stored numbers, dialling with data mode and\n"
    "the +++ escape, incoming calls.\n"
    "\n"
    "Options:\n"
    "  --link PATH      the name to open the device by (default /tmp/vexa-ta). A symbolic\n"
    "                   link of yours left there is replaced; anything else is left alone\n"
    "                   and vexa-tasim stops.\n"
    "  --ring SECONDS   a caller rings every SECONDS seconds (1 to 86400): answer with ATA,\n"
    "                   or let ATS0=n answer after n rings.\n"
    "  --keep           when the program using the device closes it, wait for the next\n"
    "                   one, which finds a freshly reset adapter.\n"
    "  -h, --help       show this text and stop.\n"
    "\n"
    "It runs until Ctrl+C or SIGTERM, or (without --keep) until the program using the\n"
    "device closes it, and then removes the link.\n";

struct Arguments {
  std::string link = "/tmp/vexa-ta";
  int ringSeconds = 0;
  bool keep = false;
  bool help = false;
};

bool ParseRingSeconds(const std::string& text, int& seconds) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos) {
    return false;
  }
  seconds = std::stoi(text);
  return seconds >= 1 && seconds <= kMaxRingSeconds;
}

// Empty on success, else what is wrong with the command line.
std::string ParseArguments(int argc, char** argv, Arguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    std::string value;
    const auto equals = option.find('=');
    if (option.starts_with("--") && equals != std::string::npos) {
      value = option.substr(equals + 1);
      option.resize(equals);
    } else if ((option == "--link" || option == "--ring") && i + 1 < argc) {
      value = argv[++i];
    }
    if (option == "-h" || option == "--help") {
      arguments.help = true;
    } else if (option == "--keep") {
      if (!value.empty()) return "--keep takes no value";
      arguments.keep = true;
    } else if (option == "--link") {
      if (value.empty()) return "--link needs a path";
      arguments.link = value;
    } else if (option == "--ring") {
      if (!ParseRingSeconds(value, arguments.ringSeconds)) {
        return "--ring needs a whole number of seconds from 1 to " +
               std::to_string(kMaxRingSeconds) + (value.empty() ? "" : ", not '" + value + "'");
      }
    } else {
      return "unknown argument '" + option + "'";
    }
  }
  return {};
}

// Stop requests arrive as readable data instead of interrupting the loop.
UniqueFd OpenStopSignals(std::string& error) {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, number);
  UniqueFd fd;
  if (sigprocmask(SIG_BLOCK, &signals, nullptr) == 0) {
    fd.Reset(signalfd(-1, &signals, SFD_CLOEXEC));
  }
  if (!fd) error = SystemError("cannot set up signal handling");
  return fd;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "vexa-tasim: %s\n", message.c_str());
  return kExitFailure;
}

int Run(const Arguments& arguments) {
  std::signal(SIGPIPE, SIG_IGN);  // a closed stdout must not end the adapter
  std::string error;
  const UniqueFd stopSignals = OpenStopSignals(error);
  if (!stopSignals) return Fail(error);
  auto pty = PseudoTerminal::Open(error);
  if (!pty) return Fail(error);
  DeviceLink link;
  if (!link.Create(arguments.link, pty->slavePath(), error)) return Fail(error);

  std::printf("vexa-tasim: terminal adapter on %s, linked as %s\n", pty->slavePath().c_str(),
              arguments.link.c_str());
  std::fflush(stdout);

  EngineOptions options;
  options.ringPeriod = std::chrono::seconds(arguments.ringSeconds);
  Simulator simulator(*pty, stopSignals.get(), options,
                      arguments.keep ? AfterPeerCloses::kAwaitNext : AfterPeerCloses::kStop);
  const auto reason = simulator.Run(error);
  if (!reason) return Fail(error);
  std::printf("vexa-tasim: stopped, %s\n",
              *reason == StopReason::kSignal ? "as asked" : "the device was closed");
  return 0;
}

}  // namespace
}  // namespace vexa::tasim

int main(int argc, char** argv) {
  vexa::tasim::Arguments arguments;
  const std::string problem = vexa::tasim::ParseArguments(argc, argv, arguments);
  if (!problem.empty()) {
    std::fprintf(stderr, "vexa-tasim: %s\nTry 'vexa-tasim --help'.\n", problem.c_str());
    return vexa::tasim::kExitUsage;
  }
  if (arguments.help) {
    std::fputs(vexa::tasim::kHelp.data(), stdout);
    return 0;
  }
  return vexa::tasim::Run(arguments);
}
