// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialDevices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <system_error>

#include "platform/Io.h"
#include "platform/UniqueFd.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

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

std::vector<std::string> EntriesStartingWith(const fs::path& folder, std::string_view prefix) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

// A sysfs attribute is one page at most.
constexpr std::size_t kAttributeMax = 4096;

// The text of an attribute file with its control bytes made blanks and the blanks at its ends
// dropped; empty when it is missing, not a plain file, or cannot be read. Never blocks.
std::string ReadAttribute(const fs::path& file) {
  const UniqueFd fd(RetryOnInterrupt(
      [&] { return ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); }));
  struct stat status {};
  if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
  std::string text(kAttributeMax, '\0');
  const ssize_t count =
      RetryOnInterrupt([&] { return ::read(fd.get(), text.data(), text.size()); });
  if (count <= 0) return {};
  text.resize(static_cast<std::size_t>(count));
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

bool HasUart(const DeviceRoots& roots, const std::string& name) {
  const std::string type = ReadAttribute(roots.sysClassTty / name / "type");
  int value = 0;
  const auto [end, error] = std::from_chars(type.data(), type.data() + type.size(), value);
  return error == std::errc() && value != 0;
}

std::string LinkName(const fs::path& link) {
  std::error_code error;
  return fs::read_symlink(link, error).filename().string();
}

// From the device of a tty a USB adapter is at most three levels up: the usb-serial port,
// the interface, the USB device.
constexpr int kLevelsToUsbDevice = 4;

void ReadUsbDevice(const fs::path& usbDevice, SerialDeviceInfo& info) {
  info.manufacturer = ReadAttribute(usbDevice / "manufacturer");
  info.product = ReadAttribute(usbDevice / "product");
  info.serialNumber = ReadAttribute(usbDevice / "serial");
  const std::string vendor = ReadAttribute(usbDevice / "idVendor");
  const std::string model = ReadAttribute(usbDevice / "idProduct");
  if (!vendor.empty() && !model.empty()) info.usbId = vendor + ":" + model;
}

SerialDeviceInfo InfoOf(const DeviceRoots& roots, const fs::path& node) {
  SerialDeviceInfo info;
  std::error_code error;
  info.tty = fs::canonical(node, error).filename().string();
  if (info.tty.empty()) return info;
  fs::path folder = fs::canonical(roots.sysClassTty / info.tty / "device", error);
  if (error) return info;
  // The serial core's own port layer ("serial-base") stands between a UART and its driver.
  bool driverFound = false;
  for (int level = 0; level < kLevelsToUsbDevice && folder.has_relative_path(); ++level) {
    if (!driverFound && LinkName(folder / "subsystem") != "serial-base") {
      info.driver = LinkName(folder / "driver");
      driverFound = true;
    }
    if (fs::exists(folder / "idVendor", error)) {
      ReadUsbDevice(folder, info);
      break;
    }
    folder = folder.parent_path();
  }
  return info;
}

}  // namespace

SerialDeviceInfo DescribeDevicePath(const std::string& path, const DeviceRoots& roots) {
  return InfoOf(roots, path);
}

bool IsSameHardware(const SerialDeviceInfo& before, const SerialDeviceInfo& now) {
  if (before.usbId.empty()) return true;
  return before.usbId == now.usbId && before.serialNumber == now.serialNumber &&
         before.manufacturer == now.manufacturer && before.product == now.product;
}

std::vector<SerialDevice> ListSerialDevices(const DeviceRoots& roots) {
  std::vector<fs::path> nodes;
  const fs::path byId = roots.dev / "serial" / "by-id";
  for (const std::string& name : EntriesStartingWith(byId, "")) {
    std::error_code error;
    if (fs::exists(byId / name, error)) nodes.push_back(byId / name);
  }
  for (std::string_view prefix : {"ttyUSB", "ttyACM", "ttyAMA", "rfcomm"}) {
    for (const std::string& name : EntriesStartingWith(roots.dev, prefix)) {
      nodes.push_back(roots.dev / name);
    }
  }
  for (const std::string& name : EntriesStartingWith(roots.dev, "ttyS")) {
    if (HasUart(roots, name)) nodes.push_back(roots.dev / name);
  }
  std::vector<SerialDevice> devices;
  for (const fs::path& node : nodes) devices.push_back({node.string(), InfoOf(roots, node)});
  return devices;
}

}  // namespace vexa
