// Load and save of a large command file, and loading the built-in set, without a window.
// Prints figures; the window's own cost of showing the items is measured elsewhere.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "commands/DefaultSet.h"
#include "files/CommandFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// 100,000 items in groups of 10 under headings; every fifth item repeats, every seventh
// answers automatically.
std::string GenerateFile() {
  std::string file = "Vexa0109,9600,1,\x82\xC8\x82\xB5,CR+LF,CR+LF,0,0,10,\";\",COM1,0,100,8\n";
  for (int i = 0; i < 100000; ++i) {
    if (i % 10 == 0) file += "2,0,group " + std::to_string(i / 10) + "\n";
    if (i % 7 == 0) file += "0," + std::to_string(1 + 256 * 250) + ",ring;RING\n";
    const int period = i % 5 == 0 ? 1000 : 0;
    file += "3," + std::to_string(1 + 256 * period) + ",command " + std::to_string(i) +
            ";AT+TEST=" + std::to_string(i) + "\n";
  }
  return file;
}

}  // namespace

int main() {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vexa-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string source = (dir / "large.vxp").string();
  const std::string target = (dir / "saved.vxp").string();
  const std::string file = GenerateFile();
  std::ofstream(source, std::ios::binary) << file;

  vexa::CommandTree tree;
  vexa::CommSettings settings;
  auto start = Clock::now();
  const vexa::CommandFileLoad load = vexa::LoadCommandFile(source, tree, settings);
  const double loadMs = MillisecondsSince(start);

  start = Clock::now();
  const int saved = vexa::SaveCommandFile(target, settings, tree);
  const double saveMs = MillisecondsSince(start);

  constexpr int kDefaultRuns = 50;
  start = Clock::now();
  for (int i = 0; i < kDefaultRuns; ++i) {
    vexa::CommandTree defaults;
    vexa::LoadItemsFromText(defaults, vexa::DefaultCommandSetText(), vexa::kDefaultCommSettings);
  }
  const double defaultMs = MillisecondsSince(start) / kDefaultRuns;

  std::printf("command file: %zu bytes, 110,000 items\n", file.size());
  std::printf("  load    %8.1f ms (result %d/%d; goal <= 1000 ms)\n", loadMs, load.readResult,
              load.items.result);
  std::printf("  save    %8.1f ms (result %d; goal <= 500 ms)\n", saveMs, saved);
  std::printf("  default set %5.2f ms per load (goal <= 50 ms)\n", defaultMs);
  std::filesystem::remove_all(dir);
  return 0;
}
