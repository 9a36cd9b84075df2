// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempDir.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// Everything in the folder but the names given: a replacement leaves no temporary file.
std::vector<std::string> OtherEntries(const fs::path& folder,
                                      std::initializer_list<const char*> known) {
  std::vector<std::string> others;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

TEST(AtomicFile, ReplacesContentAndLinksLeavingNothingBehind) {
  test::TempDir dir;
  const std::string file = dir.File("a.txt");
  const std::string link = dir.File("link");
  EXPECT_EQ(ReplaceFileContent(file, "one"), ReplaceResult::kOk);
  EXPECT_EQ(ReplaceWithSymlink(link, file), ReplaceResult::kOk);
  EXPECT_EQ(ReplaceFileContent(link, "two"), ReplaceResult::kOk);
  EXPECT_TRUE(fs::is_symlink(link)) << "written through, not replaced";
  EXPECT_EQ(test::ReadFile(file), "two");
  EXPECT_EQ(ReplaceWithSymlink(link, "/nowhere"), ReplaceResult::kOk);
  EXPECT_EQ(fs::read_symlink(link), "/nowhere");
  EXPECT_TRUE(OtherEntries(dir.path(), {"a.txt", "link"}).empty());
}

TEST(AtomicFile, KeepsTheOriginalBesideItWithItsMode) {
  test::TempDir dir;
  const std::string file = dir.File("a.vxp");
  EXPECT_EQ(ReplaceFileContent(file, "one", KeepOriginal::kBeside), ReplaceResult::kOk);
  EXPECT_FALSE(fs::exists(file + "~")) << "nothing was there to keep";
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  test::WriteFile(file + "~", "older");
  EXPECT_EQ(ReplaceFileContent(file, "two", KeepOriginal::kBeside), ReplaceResult::kOk);
  EXPECT_EQ(test::ReadFile(file), "two");
  EXPECT_EQ(test::ReadFile(file + "~"), "one");
  EXPECT_EQ(fs::status(file + "~").permissions(), fs::status(file).permissions());
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(OtherEntries(dir.path(), {"a.vxp", "a.vxp~"}).empty());

  fs::remove(file + "~");
  fs::create_directory(file + "~");  // no copy can be kept: nothing is replaced
  EXPECT_NE(ReplaceFileContent(file, "three", KeepOriginal::kBeside), ReplaceResult::kOk);
  EXPECT_EQ(test::ReadFile(file), "two");
}

// Left by a save that was killed before its rename; only our own pattern goes, and only once
// it is old enough not to be another save still running.
TEST(AtomicFile, RemovesLeftoverTemporariesOfTheSameFile) {
  test::TempDir dir;
  const std::string file = dir.File("a.vxp");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name :
       {"a.vxp.0badf00d~", "a.vxp~.1234abcd~", "a.vxp.notahex1~", "a.vxp~", "a.vxp.0BADF00D~",
        "a.vxp.0badf00d", "b.vxp.0badf00d~", "a.vxp.0badf00d0~"}) {
    test::WriteFile(dir.File(name), "x");
    fs::last_write_time(dir.File(name), old);
  }
  test::WriteFile(dir.File("a.vxp.7777aaaa~"), "young");
  EXPECT_EQ(ReplaceFileContent(file, "one", KeepOriginal::kBeside), ReplaceResult::kOk);
  EXPECT_EQ(ReplaceFileContent(file, "two", KeepOriginal::kBeside), ReplaceResult::kOk);
  std::vector<std::string> left = OtherEntries(dir.path(), {"a.vxp", "a.vxp~"});
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left,
            (std::vector<std::string>{"a.vxp.0BADF00D~", "a.vxp.0badf00d", "a.vxp.0badf00d0~",
                                      "a.vxp.7777aaaa~", "a.vxp.notahex1~", "b.vxp.0badf00d~"}));
}

TEST(AtomicFile, RefusesWhatMayNotBeWritten) {
  test::TempDir dir;
  EXPECT_EQ(ReplaceFileContent("", "x"), ReplaceResult::kCannotCreate);
  EXPECT_EQ(ReplaceFileContent(dir.path().string(), "x"), ReplaceResult::kCannotCreate)
      << "a folder";
  EXPECT_EQ(ReplaceFileContent(dir.File("missing/a.txt"), "x"), ReplaceResult::kCannotCreate);
  const std::string readOnly = dir.File("ro.txt");
  test::WriteFile(readOnly, "kept");
  fs::permissions(readOnly, fs::perms::owner_read);
  if (::geteuid() != 0) {  // root may write anything
    EXPECT_EQ(ReplaceFileContent(readOnly, "x"), ReplaceResult::kCannotCreate);
    EXPECT_EQ(test::ReadFile(readOnly), "kept");
  }
}

}  // namespace
}  // namespace vexa
