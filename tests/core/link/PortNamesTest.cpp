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

TEST(OfferedPortNames, ComNamesFirstEvenWithoutDevices) {
  EXPECT_EQ(
      OfferedPortNames({"/nonexistent/dev", "/nonexistent/sys"}),
      (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));
}

}  // namespace
}  // namespace vexa
