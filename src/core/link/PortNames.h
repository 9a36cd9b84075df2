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

// The ports the operator is offered: COM1 to COM8, then the devices found on this machine.
std::vector<std::string> OfferedPortNames(const DeviceRoots& roots = {});

}  // namespace vexa
