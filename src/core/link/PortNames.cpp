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

std::vector<std::string> OfferedPortNames(const DeviceRoots& roots) {
  std::vector<std::string> names;
  for (int n = 1; n <= 8; ++n) names.push_back("COM" + std::to_string(n));
  for (std::string& device : ListSerialDevices(roots)) names.push_back(std::move(device));
  return names;
}

}  // namespace vexa
