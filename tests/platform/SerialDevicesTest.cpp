// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialDevices.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>

namespace vexa {
namespace {

class ListSerialDevicesTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("vexa-devices-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(getpid()));
    roots_ = {root_ / "dev", root_ / "sys"};
    std::filesystem::create_directories(roots_.dev / "serial" / "by-id");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  void Touch(const std::filesystem::path& path, const std::string& text = "") {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }

  // A symbolic link at `link` to `target`, as the kernel and udev make them.
  void Link(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink(target, link);
  }
  std::vector<std::string> Paths() {
    std::vector<std::string> paths;
    for (const SerialDevice& device : ListSerialDevices(roots_)) paths.push_back(device.path);
    return paths;
  }

  std::filesystem::path root_;
  DeviceRoots roots_;
};

TEST_F(ListSerialDevicesTest, ByIdFirstThenEachKindInNaturalOrderAndOnlyRealUarts) {
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "rfcomm0", "ttyS0", "ttyS1", "ttyS10",
                           "tty0", "console", "ttyAMA0"}) {
    Touch(roots_.dev / name);
  }
  Touch(roots_.dev / "serial" / "by-id" / "usb-b-port0");
  Touch(roots_.dev / "serial" / "by-id" / "usb-a-port0");
  Touch(roots_.sysClassTty / "ttyS0" / "type", "4\n");
  Touch(roots_.sysClassTty / "ttyS1" / "type", "0\n");  // no UART behind it
  const std::string dev = roots_.dev.string();
  EXPECT_EQ(Paths(), (std::vector<std::string>{
                         dev + "/serial/by-id/usb-a-port0", dev + "/serial/by-id/usb-b-port0",
                         dev + "/ttyUSB2", dev + "/ttyUSB10", dev + "/ttyACM0", dev + "/ttyAMA0",
                         dev + "/rfcomm0", dev + "/ttyS0"}));
}

TEST_F(ListSerialDevicesTest, WhatSysfsTellsOfEachDeviceAndNothingWhereItCannotBeRead) {
  const std::filesystem::path sys = root_ / "sys";
  const std::filesystem::path drivers = sys / "bus" / "drivers";
  // An FTDI adapter: the USB device, its interface, and the usb-serial port with its tty.
  const std::filesystem::path ftdi = sys / "devices" / "usb1" / "1-1";
  Touch(ftdi / "idVendor", "0403\n");
  Touch(ftdi / "idProduct", "6001\n");
  Touch(ftdi / "manufacturer", "FTDI\n");
  Touch(ftdi / "product", " FT232R\tUSB UART \n");
  Touch(ftdi / "serial", "A6008isP\n");
  Link(drivers / "usb-ftdi_sio", ftdi / "1-1:1.0" / "driver");
  Link(drivers / "ftdi_sio", ftdi / "1-1:1.0" / "ttyUSB0" / "driver");
  Link(ftdi / "1-1:1.0" / "ttyUSB0", roots_.sysClassTty / "ttyUSB0" / "device");
  Touch(roots_.dev / "ttyUSB0");
  Link("../../ttyUSB0", roots_.dev / "serial" / "by-id" / "usb-FTDI_FT232R_A6008isP-if00-port0");
  Link("../../ttyUSB9", roots_.dev / "serial" / "by-id" / "usb-gone-if00-port0");
  // A CDC modem whose strings are missing or cannot be read; its tty is the interface.
  const std::filesystem::path acm = sys / "devices" / "usb2" / "2-1";
  Touch(acm / "idVendor", "2341\n");
  Touch(acm / "idProduct", "0043\n");
  std::filesystem::create_directories(acm / "product");
  ASSERT_EQ(mkfifo((acm / "serial").c_str(), 0600), 0) << "nobody ever writes to it";
  Link(drivers / "cdc_acm", acm / "2-1:1.0" / "driver");
  Link(acm / "2-1:1.0", roots_.sysClassTty / "ttyACM0" / "device");
  Touch(roots_.dev / "ttyACM0");
  // A UART behind the serial core's own port layer, whose driver names nothing.
  const std::filesystem::path uart = sys / "devices" / "pnp0" / "00:01";
  Link(drivers / "serial", uart / "driver");
  for (const auto& layer : {uart / "00:01:0", uart / "00:01:0" / "00:01:0.0"}) {
    Link(sys / "bus" / "serial-base", layer / "subsystem");
    Link(drivers / "port", layer / "driver");
  }
  Link(uart / "00:01:0" / "00:01:0.0", roots_.sysClassTty / "ttyS0" / "device");
  Touch(roots_.sysClassTty / "ttyS0" / "type", "4\n");
  Touch(roots_.dev / "ttyS0");
  // Bluetooth: no device behind the tty.
  Touch(roots_.dev / "rfcomm0");
  std::filesystem::create_directories(roots_.sysClassTty / "rfcomm0");

  const std::string dev = roots_.dev.string();
  const SerialDeviceInfo ftdiInfo = {"ttyUSB0",  "FTDI",      "FT232R USB UART",
                                     "A6008isP", "0403:6001", "ftdi_sio"};
  EXPECT_EQ(ListSerialDevices(roots_),
            (std::vector<SerialDevice>{
                {dev + "/serial/by-id/usb-FTDI_FT232R_A6008isP-if00-port0", ftdiInfo},
                {dev + "/ttyUSB0", ftdiInfo},
                {dev + "/ttyACM0", {"ttyACM0", "", "", "", "2341:0043", "cdc_acm"}},
                {dev + "/rfcomm0", {"rfcomm0", "", "", "", "", ""}},
                {dev + "/ttyS0", {"ttyS0", "", "", "", "", "serial"}},
            }));
}

TEST_F(ListSerialDevicesTest, NothingWhenTheFoldersAreMissing) {
  EXPECT_TRUE(ListSerialDevices({root_ / "none", root_ / "none"}).empty());
}

// Reconnecting must not take another adapter that now has the lost one's name.
TEST(IsSameHardware, TheSameAdapterOnlyWhereSysfsTellsAdaptersApart) {
  const SerialDeviceInfo ftdi = {"ttyUSB0", "FTDI", "FT232R", "A6008isP", "0403:6001", "ftdi_sio"};
  SerialDeviceInfo renamed = ftdi;
  renamed.tty = "ttyUSB1";
  SerialDeviceInfo otherSerial = ftdi;
  otherSerial.serialNumber = "B7119jtQ";
  const SerialDeviceInfo otherModel = {"ttyUSB0", "Prolific", "PL2303", "", "067b:2303", "pl2303"};
  const SerialDeviceInfo nothing = {};
  const SerialDeviceInfo uart = {"ttyS0", "", "", "", "", "serial"};
  const struct {
    const SerialDeviceInfo& before;
    const SerialDeviceInfo& now;
    bool same;
  } cases[] = {
      {ftdi, ftdi, true},        {ftdi, renamed, true},  {ftdi, otherSerial, false},
      {ftdi, otherModel, false}, {ftdi, nothing, false}, {nothing, ftdi, true},
      {uart, uart, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSameHardware(c.before, c.now), c.same)
        << c.before.usbId << "/" << c.before.serialNumber << " -> " << c.now.usbId << "/"
        << c.now.serialNumber;
  }
}

}  // namespace
}  // namespace vexa
