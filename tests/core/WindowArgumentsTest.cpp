// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/WindowArguments.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace vexa {
namespace {

using Words = std::vector<std::string_view>;

TEST(WindowArguments, RequestsAndThePathAroundTheEndOfOptions) {
  struct Case {
    Words words;
    StartRequest request;
    Words options;
    Words operands;
  };
  const Case cases[] = {
      {{}, StartRequest::kWindow, {}, {}},
      {{"--help"}, StartRequest::kHelp, {"--help"}, {}},
      {{"-h"}, StartRequest::kHelp, {"-h"}, {}},
      {{"--version"}, StartRequest::kVersion, {"--version"}, {}},
      {{"ta.vxp", "--help"}, StartRequest::kHelp, {"ta.vxp", "--help"}, {}},
      {{"--version", "--help"}, StartRequest::kVersion, {"--version", "--help"}, {}},
      {{"--", "--help"}, StartRequest::kWindow, {}, {"--help"}},
      {{"--", "-ta.vxp"}, StartRequest::kWindow, {}, {"-ta.vxp"}},
      {{"-style", "fusion", "--", "--", "x"},
       StartRequest::kWindow,
       {"-style", "fusion"},
       {"--", "x"}},
      {{"\"/tmp/my", "ta.vxp\""}, StartRequest::kWindow, {"\"/tmp/my", "ta.vxp\""}, {}},
      {{"--help=1", "-help", "--versions"},
       StartRequest::kWindow,
       {"--help=1", "-help", "--versions"},
       {}},
  };
  for (const Case& c : cases) {
    const WindowArguments arguments = ParseWindowArguments(c.words);
    const std::string_view first = c.words.empty() ? "(none)" : c.words.front();
    EXPECT_EQ(arguments.request, c.request) << first;
    EXPECT_EQ(arguments.options, c.options) << first;
    EXPECT_EQ(arguments.operands, c.operands) << first;
  }
}

}  // namespace
}  // namespace vexa
