#include "platform/PortNames.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace vexa {
namespace {

TEST(ResolvePortName, ComNamesPathsAndMappings) {
  const std::map<std::string, std::string> stored = {
      {"COM3", "/dev/ttyUSB0"}, {"COM0", "/dev/ttyACM1"}, {"COM5", "ttyUSB9"}};
  std::vector<std::string> asked;
  const PortLookup lookup = [&](std::string_view name) -> std::optional<std::string> {
    asked.emplace_back(name);
    const auto found = stored.find(std::string(name));
    if (found == stored.end()) return std::nullopt;
    return found->second;
  };
  struct Row {
    const char* name;
    std::optional<std::string> expected;
  };
  const Row rows[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM8", "/dev/ttyS7"},
      {"COM0", "/dev/ttyACM1"},
      {"COM3", "/dev/ttyUSB0"},
      {"COM5", "/dev/ttyS4"},  // a mapping that is no absolute path is not used
      {"/dev/serial/by-id/usb-FTDI_X-if00-port0", "/dev/serial/by-id/usb-FTDI_X-if00-port0"},
      {"/dev/pts/3", "/dev/pts/3"},
      {"COM9", std::nullopt},
      {"com1", std::nullopt},
      {"COM", std::nullopt},
      {"", std::nullopt},
      {"dev/ttyS0", std::nullopt},
      {"/dev/tty,S0", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ResolvePortName(row.name, lookup), row.expected) << row.name;
  }
  EXPECT_EQ(ResolvePortName("COM0", PortLookup()), std::nullopt) << "COM0 has no default";
  EXPECT_EQ(ResolvePortName("COM2", PortLookup()), "/dev/ttyS1");
  EXPECT_EQ(asked, (std::vector<std::string>{"COM1", "COM8", "COM0", "COM3", "COM5"}));
}

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
  EXPECT_EQ(OfferedPortNames({root_ / "none", root_ / "none"}),
            (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                      "COM8"}));
}

}  // namespace
}  // namespace vexa
