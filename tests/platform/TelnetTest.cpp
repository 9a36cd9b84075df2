// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Telnet.h"

#include <gtest/gtest.h>

#include <string>

namespace vexa {
namespace {

using namespace std::string_literals;

std::string Command(unsigned char verb, unsigned char option) {
  return {'\xff', static_cast<char>(verb), static_cast<char>(option)};
}

// What ser2net's telnet accepter says first: WILL/DO SUPPRESS-GO-AHEAD, WILL ECHO, DONT ECHO,
// DO/WILL BINARY, DO COM-PORT-OPTION.
const std::string kServerGreeting =
    "\xff\xfb\x03\xff\xfd\x03\xff\xfb\x01\xff\xfe\x01"
    "\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c"s;

TEST(Telnet, NegotiatesWhatASerialLineNeedsWithoutLoops) {
  TelnetSession session;
  EXPECT_EQ(session.Greeting(), Command(251, 0) + Command(253, 0) + Command(251, 3) +
                                    Command(253, 3) + Command(251, 44));
  std::string data;
  session.Decode(kServerGreeting, data);
  EXPECT_EQ(data, "");
  EXPECT_EQ(session.TakeReplies(), Command(254, 1)) << "only remote echo is refused";
  EXPECT_TRUE(session.PeerBinary());
  EXPECT_FALSE(session.ComPortRefused());

  session.Decode(Command(253, 24) + Command(251, 31) + Command(251, 1), data);  // unknown, again
  EXPECT_EQ(session.TakeReplies(), Command(252, 24) + Command(254, 31) + Command(254, 1));
  session.Decode(Command(254, 44), data);
  EXPECT_TRUE(session.ComPortRefused());
  EXPECT_EQ(session.LineSettingsCommands({}), "") << "a raw Telnet link from now on";
  EXPECT_EQ(session.TakeReplies(), Command(252, 44));
}

TEST(Telnet, DataSurvivesEverySplitOfTheStream) {
  struct Case {
    std::string before;  // what the session heard first
    std::string stream;
    std::string data;
  };
  const Case cases[] = {
      {kServerGreeting,
       "A\xff\xff" + Command(251, 1) + "B\xff\xfa\x2c\x6a\xff\xff\x05\xff\xf0" + "C\xff\xf1" +
           "\r\n\x00"s + "\xff\xfa\x2c" + std::string(100, 'x') + "\xff\xf0" + "D",
       "A\xff"
       "BC\r\n\x00"
       "D"s},
      // Until the peer is binary, its CR NUL stands for CR.
      {"", std::string("a\r\0b", 4) + Command(251, 0) + std::string("c\r\0d", 4),
       std::string("a\rbc\r\0d", 7)},
  };
  for (const Case& c : cases) {
    for (std::size_t split = 0; split <= c.stream.size(); ++split) {
      TelnetSession session;
      session.Greeting();
      std::string data;
      session.Decode(c.before, data);
      session.Decode(std::string_view(c.stream).substr(0, split), data);
      session.Decode(std::string_view(c.stream).substr(split), data);
      ASSERT_EQ(data, c.data) << "split at " << split;
    }
  }
}

TEST(Telnet, EncodesDataAndLineSettings) {
  TelnetSession session;
  session.Greeting();
  EXPECT_EQ(session.Encode("A\xff\r\x00"s), "A\xff\xff\r\x00"s) << "binary: only 0xFF doubled";
  std::string ignored;
  session.Decode(Command(254, 0), ignored);  // the peer refuses binary from us
  EXPECT_EQ(session.Encode("AT\r\r\n"), "AT\r\0\r\n"s);

  const std::string sb = "\xff\xfa\x2c"s;
  const std::string se = "\xff\xf0"s;
  EXPECT_EQ(session.LineSettingsCommands({65280, 2, 1, 7}),
            sb + "\x01\x00\x00\xff\xff\x00"s + se + sb + "\x02\x07" + se + sb + "\x03\x02" + se +
                sb + "\x04\x02" + se + sb + "\x05\x01" + se);
  EXPECT_EQ(
      session.LineSettingsCommands({9600, 1, 4, 9}).substr(10),
      sb + "\x02\x08" + se + sb + "\x03\x05" + se + sb + "\x04\x03" + se + sb + "\x05\x01" + se)
      << "8 data bits for anything but 5 to 8; space; 1.5 stop bits";
}

}  // namespace
}  // namespace vexa
