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

  // Loading may cost at most 1 s per 10 MB and 10 times the file in memory: a file just
  // under the largest that opens, and one of 50 MB, which is refused.
  for (const std::size_t size : {vexa::kMaxCommandFileSize, std::size_t{50'000'000}}) {
    const std::string large = (dir / "sized.vxp").string();
    std::ofstream(large, std::ios::binary) << vexa::bench::GenerateCommandFileOfSize(size);
    const double largeBytes = static_cast<double>(std::filesystem::file_size(large));
    vexa::CommandTree largeTree;
    const std::size_t resident = vexa::bench::ResidentBytes();
    vexa::bench::ResetPeakResident();
    start = Clock::now();
    const vexa::CommandFileLoad largeLoad = vexa::LoadCommandFile(large, largeTree, settings);
    const double largeMs = MillisecondsSince(start);
    const double grown = static_cast<double>(vexa::bench::PeakResidentBytes() - resident);
    std::printf("command file: %.0f bytes (result %d/%d%s)\n", largeBytes,
                static_cast<int>(largeLoad.readResult), static_cast<int>(largeLoad.items.result),
                largeLoad.readResult == vexa::FileRead::kTooLarge ? ", too large" : "");
    std::printf("  load    %8.1f ms, %.0f ms per 10 MB (goal <= 1000 ms)\n", largeMs,
                largeMs * 1e7 / largeBytes);
    std::printf("  memory  %8.1f MB at the peak, %.1f x the file (goal <= 10 x)\n", grown / 1e6,
                grown / largeBytes);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
