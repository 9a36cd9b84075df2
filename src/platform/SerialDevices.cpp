// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialDevices.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace vexa {
namespace {

// "ttyUSB2" before "ttyUSB10".
bool NaturalLess(const std::string& a, const std::string& b) {
  const auto digitsAt = [](const std::string& s) { return s.find_last_not_of("0123456789") + 1; };
  const std::size_t da = digitsAt(a);
  const std::size_t db = digitsAt(b);
  if (a.compare(0, da, b, 0, db) != 0 || da == a.size() || db == b.size()) return a < b;
  const std::string_view na = std::string_view(a).substr(da);
  const std::string_view nb = std::string_view(b).substr(db);
  if (na.size() != nb.size()) return na.size() < nb.size();
  return na < nb;
}

std::vector<std::string> EntriesStartingWith(const std::filesystem::path& folder,
                                             std::string_view prefix) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

bool HasUart(const DeviceRoots& roots, const std::string& name) {
  std::ifstream typeFile(roots.sysClassTty / name / "type");
  int type = 0;
  return typeFile >> type && type != 0;
}

}  // namespace

std::vector<std::string> ListSerialDevices(const DeviceRoots& roots) {
  std::vector<std::string> devices;
  const std::filesystem::path byId = roots.dev / "serial" / "by-id";
  for (const std::string& name : EntriesStartingWith(byId, "")) {
    devices.push_back((byId / name).string());
  }
  for (std::string_view prefix : {"ttyUSB", "ttyACM", "rfcomm"}) {
    for (const std::string& name : EntriesStartingWith(roots.dev, prefix)) {
      devices.push_back((roots.dev / name).string());
    }
  }
  for (const std::string& name : EntriesStartingWith(roots.dev, "ttyS")) {
    if (HasUart(roots, name)) devices.push_back((roots.dev / name).string());
  }
  return devices;
}

}  // namespace vexa
