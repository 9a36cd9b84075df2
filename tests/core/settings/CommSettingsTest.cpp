// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/CommSettings.h"

#include <gtest/gtest.h>

#include "core/codec/Codec.h"

namespace vexa {
namespace {

TEST(CommSettings, DefaultRecord) {
  const CommSettings s = kDefaultCommSettings;
  EXPECT_EQ(s.formatTag, "Vexa");
  EXPECT_EQ(s.baudRate, 9600);
  EXPECT_EQ(s.stopBits, 0);
  EXPECT_EQ(s.parity, 0);
  EXPECT_EQ(s.hexDisplayDefault, 0);
  EXPECT_EQ(s.hexInputDefault, 0);
  EXPECT_EQ(s.useEscapes, 0);
  EXPECT_EQ(s.recordLength, 10);
  EXPECT_EQ(s.sendTerminatorName, "CR+LF");
  EXPECT_EQ(s.receiveTerminatorName, "CR+LF");
  EXPECT_EQ(s.sendTerminator, "\r\n");
  EXPECT_EQ(s.receiveTerminator, "\r\n");
  EXPECT_EQ(s.separator, ";");
  EXPECT_EQ(s.portName, "COM1");
  EXPECT_EQ(s.receiveTimeout, 100);
  EXPECT_EQ(s.dataBits, 8);
  // Terminator names and bytes agree.
  EXPECT_EQ(TerminatorFromText(s.sendTerminatorName), s.sendTerminator);
  EXPECT_EQ(TerminatorFromText(s.receiveTerminatorName), s.receiveTerminator);
  EXPECT_EQ(s.DefaultKind(), 1);
}

TEST(CommSettings, CodedFieldTexts) {
  const char* parity[] = {"\x82\xC8\x82\xB5", "odd", "even", "mark", "space"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(ParityToText(i), parity[i]);
    EXPECT_EQ(ParityFromText(parity[i]), i);
  }
  EXPECT_EQ(ParityToText(5), nullptr);
  EXPECT_EQ(ParityToText(-1), nullptr);
  for (const char* bad : {"Space", "ODD", "", "none", "space "}) {
    EXPECT_FALSE(ParityFromText(bad).has_value()) << bad;
  }
  const char* stop[] = {"1", "1.5", "2"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(StopBitsToText(i), stop[i]);
    EXPECT_EQ(StopBitsFromText(stop[i]), i);
  }
  EXPECT_EQ(StopBitsToText(3), nullptr);
  for (const char* bad : {"1,5", "1.0", "", "2 "}) {
    EXPECT_FALSE(StopBitsFromText(bad).has_value()) << bad;
  }
}

TEST(CommSettings, PortNames) {
  struct Case {
    std::string name;
    bool valid;
  };
  const Case cases[] = {
      {"COM1", true},
      {"COM0", true},
      {"COM8", true},
      {"COM9", false},
      {"com1", false},
      {"COM10", false},
      {"COM", false},
      {"", false},
      {"/dev/ttyUSB0", true},
      {"/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", true},
      {"/dev/pts/3", true},
      {"/", false},
      {"dev/ttyS0", false},
      {"/dev/tty,S0", false},
      {"/dev/tty\nS0", false},
      {"/dev/tty\x7f", false},
      {"/" + std::string(254, 'a'), true},
      {"/" + std::string(255, 'a'), false},
      {"tcp://bench-7.lab:2001", true},
      {"rfc2217://192.168.1.20:65535", true},
      {"rfc2217://[fe80::1]:4000", true},
      {"rfc2217://[::ffff:10.0.0.1]:7", true},
      {"tcp://host", false},
      {"tcp://host:", false},
      {"tcp://host:0", false},
      {"tcp://host:65536", false},
      {"tcp://host:02001", false},
      {"tcp://:2001", false},
      {"tcp://ho st:2001", false},
      {"tcp://host,a:2001", false},
      {"tcp://[fe80::zz]:2001", false},
      {"tcp://fe80::1:2001", false},
      {"TCP://host:2001", false},
      {"telnet://host:2001", false},
      {"tcp://" + std::string(244, 'h') + ":2001", true},
      {"tcp://" + std::string(245, 'h') + ":2001", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidPortName(c.name), c.valid) << c.name;
  const auto ipv6 = ParseNetworkPortName("rfc2217://[fe80::1]:4000");
  ASSERT_TRUE(ipv6);
  EXPECT_EQ(ipv6->protocol, NetworkProtocol::kRfc2217);
  EXPECT_EQ(ipv6->address, (NetworkAddress{"fe80::1", 4000}));
  EXPECT_EQ(ParseNetworkPortName("tcp://bench:2001")->protocol, NetworkProtocol::kRaw);
}

}  // namespace
}  // namespace vexa
