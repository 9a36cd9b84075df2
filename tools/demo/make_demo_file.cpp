// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the demo command file with the program's own writer:  make_demo_file PATH

#include <cstdio>

#include "core/files/CommandFile.h"
#include "demo/DemoFile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_file PATH\n");
    return 2;
  }
  vexa::CommandTree tree;
  vexa::CommSettings settings;
  vexa::demo::BuildDemo(tree, settings);
  if (vexa::SaveCommandFile(argv[1], settings, tree) != vexa::SaveResult::kOk) {
    std::fprintf(stderr, "make_demo_file: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
