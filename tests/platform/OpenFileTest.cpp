// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OpenFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>

#include "support/TempDir.h"

namespace vexa {
namespace {

// Nobody ever opens the other end of the FIFO: a blocking open would never return.
TEST(OpenOfType, RefusesWhatCouldBlockOrIsNoFileOfTheKindWanted) {
  test::TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = dir.File("socket");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  const std::string regular = dir.File("regular");
  test::WriteFile(regular, "x");

  constexpr auto kRegular = AcceptedFiles::kRegular;
  constexpr auto kEither = AcceptedFiles::kRegularOrCharacterDevice;
  constexpr auto kDevice = AcceptedFiles::kCharacterDevice;
  const struct {
    std::string path;
    int flags;
    AcceptedFiles accepted;
    IoStatus expected;
  } rows[] = {
      {regular, O_RDONLY, kRegular, IoStatus::kOk},
      {regular, O_RDWR, kDevice, IoStatus::kNotSupported},
      {fifo, O_RDONLY, kRegular, IoStatus::kNotSupported},
      {fifo, O_WRONLY | O_CREAT | O_TRUNC, kEither, IoStatus::kNotSupported},
      {fifo, O_RDWR, kDevice, IoStatus::kNotSupported},
      {socketPath, O_RDONLY, kRegular, IoStatus::kNotSupported},
      {socketPath, O_WRONLY | O_CREAT, kEither, IoStatus::kNotSupported},
      {dir.path().string(), O_RDONLY, kRegular, IoStatus::kNotSupported},
      {"/dev/null", O_WRONLY | O_CREAT | O_TRUNC, kEither, IoStatus::kOk},
      {"/dev/null", O_RDONLY, kRegular, IoStatus::kNotSupported},
      {dir.File("new.log"), O_WRONLY | O_CREAT | O_TRUNC, kEither, IoStatus::kOk},
      {dir.File("missing"), O_RDONLY, kRegular, IoStatus::kNotFound},
  };
  for (const auto& row : rows) {
    const OpenedFile opened = OpenOfType(row.path, row.flags, row.accepted);
    EXPECT_EQ(opened.status, row.expected) << row.path;
    EXPECT_EQ(static_cast<bool>(opened.fd), row.expected == IoStatus::kOk) << row.path;
  }
  ::close(listener);
}

}  // namespace
}  // namespace vexa
