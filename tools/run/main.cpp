// SPDX-License-Identifier: GPL-3.0-or-later
// vexa-run: a Vexa command file against a serial device, without a window.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <thread>

#include "RunOptions.h"
#include "Runner.h"
#include "core/link/PortNames.h"
#include "core/settings/Preferences.h"

namespace {

// Waits for SIGINT or SIGTERM on a thread of its own and ends the run cleanly.
std::thread WatchStopSignals(vexa::run::Runner& runner, sigset_t signals) {
  return std::thread([&runner, signals] {
    int signal = 0;
    if (sigwait(&signals, &signal) == 0 && signal != SIGUSR1) runner.RequestStop();
  });
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away (`| head`) ends the output, never the run and its log.
  ::signal(SIGPIPE, SIG_IGN);
  std::string error;
  const auto options = vexa::run::ParseRunOptions({argv + 1, argv + argc}, error);
  if (!options) {
    std::cerr << "vexa-run: " << error << "\nTry 'vexa-run --help'." << std::endl;
    return vexa::run::kExitError;
  }
  if (options->help) {
    std::cout << vexa::run::RunUsage();
    return vexa::run::kExitOk;
  }
  if (options->listPorts) {
    for (const vexa::OfferedPort& port : vexa::OfferedPorts()) {
      std::cout << port.name << (port.description.empty() ? "" : "\t") << port.description << '\n';
    }
    return vexa::run::kExitOk;
  }

  // Blocked in every thread, so only the watcher receives them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGUSR1);  // wakes the watcher at the end
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  vexa::run::Runner runner(*options, STDOUT_FILENO, std::cerr,
                           vexa::Preferences::ForCurrentUser().PortMappingLookup());
  std::thread watcher = WatchStopSignals(runner, signals);
  const int status = runner.Run();
  pthread_kill(watcher.native_handle(), SIGUSR1);
  watcher.join();
  return status;
}
