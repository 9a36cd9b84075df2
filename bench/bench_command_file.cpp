// SPDX-License-Identifier: GPL-3.0-or-later
// Load and save of a large command file, and loading the built-in set, without a window.
// Prints figures; the window's own cost of showing the items is measured elsewhere.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "core/files/CommandFile.h"
#include "core/items/DefaultSet.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vexa-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string source = (dir / "large.vxp").string();
  const std::string target = (dir / "saved.vxp").string();
  const std::string file = vexa::bench::GenerateCommandFile(100000);
  std::ofstream(source, std::ios::binary) << file;

  vexa::CommandTree tree;
  vexa::CommSettings settings;
  auto start = Clock::now();
  const vexa::CommandFileLoad load = vexa::LoadCommandFile(source, tree, settings);
  const double loadMs = MillisecondsSince(start);

  start = Clock::now();
  const vexa::SaveResult saved = vexa::SaveCommandFile(target, settings, tree);
  const double saveMs = MillisecondsSince(start);

  constexpr int kDefaultRuns = 50;
  start = Clock::now();
  for (int i = 0; i < kDefaultRuns; ++i) {
    vexa::CommandTree defaults;
    vexa::LoadItemsFromText(defaults, vexa::DefaultCommandSetText(), vexa::kDefaultCommSettings);
  }
  const double defaultMs = MillisecondsSince(start) / kDefaultRuns;

  std::printf("command file: %zu bytes, 110,000 items\n", file.size());
  std::printf("  load    %8.1f ms (result %d/%d; goal <= 1000 ms)\n", loadMs,
              static_cast<int>(load.readResult), static_cast<int>(load.items.result));
  std::printf("  save    %8.1f ms (result %d; goal <= 500 ms)\n", saveMs, static_cast<int>(saved));
  std::printf("  default set %5.2f ms per load (goal <= 50 ms)\n", defaultMs);
  std::filesystem::remove_all(dir);
  return 0;
}
