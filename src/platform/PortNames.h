#pragma once
// Port names of the settings ("COM1", or an absolute device path) and the serial devices
// present on this machine.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Answers the device a "COMn" name is mapped to, or nullopt when no mapping is stored.
using PortLookup = std::function<std::optional<std::string>(std::string_view comName)>;

// The device path for a port name: an absolute path as it is; "COMn" through `lookup`
// (when it answers an absolute path), else /dev/ttyS(n-1). nullopt for COM0 without a
// mapping and for any name IsValidPortName refuses.
std::optional<std::string> ResolvePortName(std::string_view name, const PortLookup& lookup);

struct DeviceRoots {
  std::filesystem::path dev = "/dev";
  std::filesystem::path sysClassTty = "/sys/class/tty";
};

// /dev/serial/by-id/* first, then ttyUSB*, ttyACM*, rfcomm*, and the ttyS* ports that have a
// real UART (their sysfs "type" is not 0, PORT_UNKNOWN); each group in natural order.
std::vector<std::string> ListSerialDevices(const DeviceRoots& roots = {});

// The ports the operator is offered: COM1 to COM8, then the devices found on this machine.
std::vector<std::string> OfferedPortNames(const DeviceRoots& roots = {});

}  // namespace vexa
