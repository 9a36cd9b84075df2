// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/link/PortNames.h"

#include "core/settings/CommSettings.h"

namespace vexa {
namespace {

// A name that needs no mapping: a device path, or a port on another machine.
bool IsDirectName(std::string_view name) {
  return !name.empty() && (name.front() == '/' || ParseNetworkPortName(name));
}

}  // namespace

std::optional<std::string> ResolvePortName(std::string_view name, const PortLookup& lookup) {
  if (!IsValidPortName(name)) return std::nullopt;
  if (IsDirectName(name)) return std::string(name);
  if (lookup) {
    if (std::optional<std::string> mapped = lookup(name); mapped && IsDirectName(*mapped)) {
      return mapped;
    }
  }
  const int number = name.back() - '0';
  if (number == 0) return std::nullopt;
  return "/dev/ttyS" + std::to_string(number - 1);
}

std::string DescribeDevice(const SerialDevice& device) {
  const SerialDeviceInfo& info = device.info;
  // Some adapters repeat their maker at the start of the model.
  std::string model = info.product;
  if (!info.manufacturer.empty() && !model.starts_with(info.manufacturer)) {
    model = model.empty() ? info.manufacturer : info.manufacturer + " " + model;
  }
  if (model.empty() && !info.usbId.empty()) model = "USB " + info.usbId;
  std::string text;
  const auto add = [&text](const std::string& part) {
    if (part.empty()) return;
    if (!text.empty()) text += ", ";
    text += part;
  };
  add(model);
  add(info.serialNumber.empty() ? std::string() : "S/N " + info.serialNumber);
  add(info.driver);
  const bool leadsElsewhere = !info.tty.empty() && !device.path.ends_with("/" + info.tty);
  if (leadsElsewhere) text += text.empty() ? info.tty : " (" + info.tty + ")";
  return text;
}

std::vector<OfferedPort> OfferedPorts(const DeviceRoots& roots) {
  std::vector<OfferedPort> ports;
  for (int n = 1; n <= 8; ++n) ports.push_back({"COM" + std::to_string(n), {}});
  for (const SerialDevice& device : ListSerialDevices(roots)) {
    ports.push_back({device.path, DescribeDevice(device)});
  }
  return ports;
}

}  // namespace vexa
