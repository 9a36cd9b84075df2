// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Port names of the settings ("COM1", or an absolute device path): the device each stands
// for, and the names the operator is offered.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialDevices.h"

namespace vexa {

// Answers the device a "COMn" name is mapped to, or nullopt when no mapping is stored.
using PortLookup = std::function<std::optional<std::string>(std::string_view comName)>;

// What a port name stands for: an absolute device path or a network port name as it is;
// "COMn" through `lookup` (when it answers either), else /dev/ttyS(n-1). nullopt for COM0
// without a mapping and for any name IsValidPortName refuses.
std::optional<std::string> ResolvePortName(std::string_view name, const PortLookup& lookup);

struct OfferedPort {
  std::string name;         // what goes into the settings
  std::string description;  // what the hardware is, UTF-8; empty when unknown
  bool operator==(const OfferedPort&) const = default;
};

// One line on the hardware behind a device: maker and model, serial number and driver, as
// far as they are known, and for a path that leads elsewhere (a by-id name) the device it
// leads to. Empty when nothing is known.
std::string DescribeDevice(const SerialDevice& device);

// The ports the operator is offered: COM1 to COM8, then the devices found on this machine,
// each with its description.
std::vector<OfferedPort> OfferedPorts(const DeviceRoots& roots = {});

}  // namespace vexa
