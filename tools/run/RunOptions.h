// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Command line of vexa-run.

#include <optional>
#include <string>
#include <vector>

namespace vexa::run {

struct SendStep {
  enum class Kind { kItem, kText, kHex };
  Kind kind;
  std::string argument;  // as typed (UTF-8)
};

struct RunOptions {
  std::string file;
  std::optional<std::string> port;
  std::vector<SendStep> sends;
  std::optional<double> forSeconds;
  std::optional<std::string> until;
  bool hex = false;
  bool timestamps = false;
  bool showSent = false;
  bool reconnect = false;
  std::optional<std::string> logFile;
  bool dump = false;
  bool listPorts = false;
  bool help = false;
};

// Parses argv (without the program name). On a bad argument returns nullopt with a one-line
// English reason in `error`.
std::optional<RunOptions> ParseRunOptions(const std::vector<std::string>& args, std::string& error);

// The text of --help.
const char* RunUsage();

}  // namespace vexa::run
