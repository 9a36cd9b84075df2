// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial devices present on this machine, and what sysfs tells of the hardware behind
// each.

#include <filesystem>
#include <string>
#include <vector>

namespace vexa {

struct DeviceRoots {
  std::filesystem::path dev = "/dev";
  std::filesystem::path sysClassTty = "/sys/class/tty";
};

// A field is empty where sysfs has no such entry or it cannot be read.
struct SerialDeviceInfo {
  std::string tty;  // the kernel's name of the device a path leads to: "ttyUSB0"
  std::string manufacturer;
  std::string product;
  std::string serialNumber;
  std::string usbId;   // "0403:6001"
  std::string driver;  // "ftdi_sio", "cdc_acm", "serial"
  bool operator==(const SerialDeviceInfo&) const = default;
};

struct SerialDevice {
  std::string path;
  SerialDeviceInfo info;
  bool operator==(const SerialDevice&) const = default;
};

// /dev/serial/by-id/* whose device is present first, then ttyUSB*, ttyACM*, ttyAMA*, rfcomm*,
// and the ttyS* ports that have a real UART (their sysfs "type" is not 0, PORT_UNKNOWN);
// each group in natural order. Read afresh on every call.
std::vector<SerialDevice> ListSerialDevices(const DeviceRoots& roots = {});

// What sysfs tells of the hardware behind `path`, a device node or a link to one.
SerialDeviceInfo DescribeDevicePath(const std::string& path, const DeviceRoots& roots = {});

// Whether `now` is the adapter `before` was: the same USB id, serial number and strings. A
// device sysfs tells nothing of (a UART, a pseudo-terminal) gives nothing to tell apart.
bool IsSameHardware(const SerialDeviceInfo& before, const SerialDeviceInfo& now);

}  // namespace vexa
