// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/PortNames.h"

#include <gtest/gtest.h>

#include <map>

namespace vexa {
namespace {

TEST(ResolvePortName, ComNamesPathsAndMappings) {
  const std::map<std::string, std::string> stored = {{"COM3", "/dev/ttyUSB0"},
                                                     {"COM0", "/dev/ttyACM1"},
                                                     {"COM5", "ttyUSB9"},
                                                     {"COM6", "rfc2217://rack:2001"},
                                                     {"COM7", "tcp://rack"}};
  std::vector<std::string> asked;
  const PortLookup lookup = [&](std::string_view name) -> std::optional<std::string> {
    asked.emplace_back(name);
    const auto found = stored.find(std::string(name));
    if (found == stored.end()) return std::nullopt;
    return found->second;
  };
  struct Row {
    const char* name;
    std::optional<std::string> expected;
  };
  const Row rows[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM8", "/dev/ttyS7"},
      {"COM0", "/dev/ttyACM1"},
      {"COM3", "/dev/ttyUSB0"},
      {"COM5", "/dev/ttyS4"},  // a mapping that is no absolute path is not used
      {"/dev/serial/by-id/usb-FTDI_X-if00-port0", "/dev/serial/by-id/usb-FTDI_X-if00-port0"},
      {"/dev/pts/3", "/dev/pts/3"},
      {"tcp://10.0.0.2:4001", "tcp://10.0.0.2:4001"},
      {"COM6", "rfc2217://rack:2001"},
      {"COM7", "/dev/ttyS6"},  // not a port name: the default
      {"COM9", std::nullopt},
      {"com1", std::nullopt},
      {"COM", std::nullopt},
      {"", std::nullopt},
      {"dev/ttyS0", std::nullopt},
      {"/dev/tty,S0", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ResolvePortName(row.name, lookup), row.expected) << row.name;
  }
  EXPECT_EQ(ResolvePortName("COM0", PortLookup()), std::nullopt) << "COM0 has no default";
  EXPECT_EQ(ResolvePortName("COM2", PortLookup()), "/dev/ttyS1");
  EXPECT_EQ(asked,
            (std::vector<std::string>{"COM1", "COM8", "COM0", "COM3", "COM5", "COM6", "COM7"}));
}

TEST(OfferedPorts, ComNamesFirstEvenWithoutDevices) {
  std::vector<OfferedPort> com;
  for (const char* name : {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}) {
    com.push_back({name, ""});
  }
  EXPECT_EQ(OfferedPorts({"/nonexistent/dev", "/nonexistent/sys"}), com);
}

TEST(DescribeDevice, WhatIsKnownInOneLine) {
  const SerialDeviceInfo ftdi = {"ttyUSB0",  "FTDI",      "FT232R USB UART",
                                 "A6008isP", "0403:6001", "ftdi_sio"};
  struct Case {
    SerialDevice device;
    const char* description;
  };
  const Case cases[] = {
      {{"/dev/serial/by-id/usb-FTDI_FT232R_A6008isP-if00-port0", ftdi},
       "FTDI FT232R USB UART, S/N A6008isP, ftdi_sio (ttyUSB0)"},
      {{"/dev/ttyUSB0", ftdi}, "FTDI FT232R USB UART, S/N A6008isP, ftdi_sio"},
      {{"/dev/ttyUSB1", {"ttyUSB1", "FTDI", "FTDI FT4232H", "", "0403:6011", "ftdi_sio"}},
       "FTDI FT4232H, ftdi_sio"},
      {{"/dev/ttyACM0", {"ttyACM0", "Arduino", "", "", "2341:0043", "cdc_acm"}},
       "Arduino, cdc_acm"},
      {{"/dev/ttyUSB2", {"ttyUSB2", "", "", "", "1a86:7523", "ch341"}}, "USB 1a86:7523, ch341"},
      {{"/dev/ttyS0", {"ttyS0", "", "", "", "", "serial"}}, "serial"},
      {{"/dev/serial/by-id/bluetooth", {"rfcomm0", "", "", "", "", ""}}, "rfcomm0"},
      {{"/dev/rfcomm0", {"rfcomm0", "", "", "", "", ""}}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DescribeDevice(c.device), c.description) << c.device.path;
}

}  // namespace
}  // namespace vexa
