// CPU use of the whole process while connected and idle for 5 s (receive thread and timer
// thread waiting, an automatic answer registered).

#include <cstdio>
#include <thread>

#include "BenchSupport.h"
#include "commands/ItemTree.h"
#include "serial/LinkSession.h"

int main() {
  using namespace vexa;
  using namespace std::chrono;
  PseudoTerminal device;
  CommandTree tree;
  tree.AppendItem(nullptr, bench::MakeItem("ATA\r\n", "RING", 0, 1));
  bench::WaitingNotifier notifier;
  LinkSession session(tree, notifier);
  if (!device.IsValid() || session.Open(bench::SettingsFor(device)) != kOpenOk) return 1;
  session.StartSending();
  std::this_thread::sleep_for(milliseconds(200));

  const microseconds cpuBefore = bench::ProcessCpuTime();
  const steady_clock::time_point start = steady_clock::now();
  std::this_thread::sleep_for(seconds(5));
  const double wall = duration<double>(steady_clock::now() - start).count();
  const double cpu = duration<double>(bench::ProcessCpuTime() - cpuBefore).count();
  session.Disconnect();

  std::printf("idle CPU while connected (5 s): %.3f %% (%.1f ms of CPU)\n", 100.0 * cpu / wall,
              cpu * 1000);
  return 0;
}
