// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial devices present on this machine.

#include <filesystem>
#include <string>
#include <vector>

namespace vexa {

struct DeviceRoots {
  std::filesystem::path dev = "/dev";
  std::filesystem::path sysClassTty = "/sys/class/tty";
};

// /dev/serial/by-id/* first, then ttyUSB*, ttyACM*, rfcomm*, and the ttyS* ports that have a
// real UART (their sysfs "type" is not 0, PORT_UNKNOWN); each group in natural order.
std::vector<std::string> ListSerialDevices(const DeviceRoots& roots = {});

}  // namespace vexa
