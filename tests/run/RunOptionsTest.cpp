// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunOptions.h"

#include <gtest/gtest.h>

namespace vexa::run {
namespace {

TEST(ParseRunOptions, AcceptsTheDocumentedForms) {
  std::string error;
  const auto options =
      ParseRunOptions({"demo.vxp", "--port", "/dev/pts/3", "--send", "御機嫌伺い",
                       "--send-text=AT\\r", "--send-hex", "0d0a", "--for", "2.5", "--until=^OK$",
                       "--hex", "--timestamps", "--show-sent", "--log", "out.log"},
                      error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->file, "demo.vxp");
  EXPECT_EQ(options->port, "/dev/pts/3");
  ASSERT_EQ(options->sends.size(), 3u);
  EXPECT_EQ(options->sends[0].kind, SendStep::Kind::kItem);
  EXPECT_EQ(options->sends[0].argument, "御機嫌伺い");
  EXPECT_EQ(options->sends[1].kind, SendStep::Kind::kText);
  EXPECT_EQ(options->sends[1].argument, "AT\\r");
  EXPECT_EQ(options->sends[2].kind, SendStep::Kind::kHex);
  EXPECT_DOUBLE_EQ(*options->forSeconds, 2.5);
  EXPECT_EQ(options->until, "^OK$");
  EXPECT_TRUE(options->hex);
  EXPECT_TRUE(options->timestamps);
  EXPECT_TRUE(options->showSent);
  EXPECT_EQ(options->logFile, "out.log");
  EXPECT_FALSE(options->dump);

  ASSERT_TRUE(ParseRunOptions({"--list-ports"}, error)) << "no file needed";
  ASSERT_TRUE(ParseRunOptions({"--help"}, error));
}

TEST(ParseRunOptions, RefusesBadArguments) {
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  };
  const Case cases[] = {
      {{}, "a command file (.vxp) is needed"},
      {{"a.vxp", "b.vxp"}, "only one command file may be given: b.vxp"},
      {{"a.vxp", "--port", "COM9"},
       "not a port name: COM9 (COM0..COM8, an absolute device path, tcp://HOST:PORT or "
       "rfc2217://HOST:PORT)"},
      {{"a.vxp", "--port", "tcp://rack"},
       "not a port name: tcp://rack (COM0..COM8, an absolute device path, tcp://HOST:PORT or "
       "rfc2217://HOST:PORT)"},
      {{"a.vxp", "--for", "0"}, "--for needs a positive number of seconds, not 0"},
      {{"a.vxp", "--for", "soon"}, "--for needs a positive number of seconds, not soon"},
      {{"a.vxp", "--until", "("}, "--until: not a regular expression: ("},
      {{"a.vxp", "--send"}, "--send needs a value"},
      {{"a.vxp", "--hex=1"}, "--hex takes no value"},
      {{"a.vxp", "--frobnicate"}, "unknown option --frobnicate"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseRunOptions(c.args, error)) << c.reason;
    EXPECT_EQ(error, c.reason);
  }
}

}  // namespace
}  // namespace vexa::run
