// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The words after the window program's name. --help, -h and --version are answered on the
// terminal; every other word belongs to the command-file path, as the raw command line has
// it. The first "--" ends the options and is dropped, so that a path may start with "-".

#include <span>
#include <string_view>
#include <vector>

namespace vexa {

enum class StartRequest {
  kWindow = 0,
  kHelp = 1,
  kVersion = 2,
};

struct WindowArguments {
  StartRequest request = StartRequest::kWindow;
  std::vector<std::string_view> options;   // before "--": the toolkit's options and the path
  std::vector<std::string_view> operands;  // after "--": the path only
};

// The first of --help, -h and --version before "--" decides the request.
WindowArguments ParseWindowArguments(std::span<const std::string_view> words);

}  // namespace vexa
