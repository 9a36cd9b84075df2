// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/WindowArguments.h"

#include <algorithm>

namespace vexa {

namespace {

StartRequest RequestOf(std::string_view word) {
  if (word == "--help" || word == "-h") return StartRequest::kHelp;
  if (word == "--version") return StartRequest::kVersion;
  return StartRequest::kWindow;
}

}  // namespace

WindowArguments ParseWindowArguments(std::span<const std::string_view> words) {
  WindowArguments arguments;
  const auto end = std::find(words.begin(), words.end(), std::string_view("--"));
  arguments.options.assign(words.begin(), end);
  if (end != words.end()) arguments.operands.assign(end + 1, words.end());
  for (const std::string_view word : arguments.options) {
    arguments.request = RequestOf(word);
    if (arguments.request != StartRequest::kWindow) break;
  }
  return arguments;
}

}  // namespace vexa
