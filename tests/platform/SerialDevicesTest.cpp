// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialDevices.h"

#include <gtest/gtest.h>

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

  std::filesystem::path root_;
  DeviceRoots roots_;
};

TEST_F(ListSerialDevicesTest, ByIdFirstThenEachKindInNaturalOrderAndOnlyRealUarts) {
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "rfcomm0", "ttyS0", "ttyS1", "ttyS10",
                           "tty0", "console"}) {
    Touch(roots_.dev / name);
  }
  Touch(roots_.dev / "serial" / "by-id" / "usb-b-port0");
  Touch(roots_.dev / "serial" / "by-id" / "usb-a-port0");
  Touch(roots_.sysClassTty / "ttyS0" / "type", "4\n");
  Touch(roots_.sysClassTty / "ttyS1" / "type", "0\n");  // no UART behind it
  const std::string dev = roots_.dev.string();
  EXPECT_EQ(
      ListSerialDevices(roots_),
      (std::vector<std::string>{
          dev + "/serial/by-id/usb-a-port0", dev + "/serial/by-id/usb-b-port0", dev + "/ttyUSB2",
          dev + "/ttyUSB10", dev + "/ttyACM0", dev + "/rfcomm0", dev + "/ttyS0"}));
}

TEST_F(ListSerialDevicesTest, NothingWhenTheFoldersAreMissing) {
  EXPECT_TRUE(ListSerialDevices({root_ / "none", root_ / "none"}).empty());
}

}  // namespace
}  // namespace vexa
