// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PreferenceStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace vexa {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr std::string_view kKey = "software\\marlen\\Vexa\\flag";

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_.empty() ? ::unsetenv(name_) : ::setenv(name_, old_.c_str(), 1); }

 private:
  const char* name_;
  std::string old_;
};

TEST(PreferenceStore, DefaultPathFollowsXdgConfigHome) {
  ScopedEnv home("HOME", "/home/op");
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(PreferenceStore::DefaultPath(), "/cfg/marlen/Vexa.reg");
  }
  {
    ScopedEnv config("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(PreferenceStore::DefaultPath(), "/home/op/.config/marlen/Vexa.reg");
  }
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(PreferenceStore::DefaultPath(), "/home/op/.config/marlen/Vexa.reg");
}

TEST(PreferenceStore, MissingFileReadsAbsentAndTheFirstWriteCreatesEverything) {
  TempDir dir;
  PreferenceStore store(dir.File("marlen/Vexa.reg"));
  EXPECT_EQ(store.ReadDword(kKey, "flag"), std::nullopt);
  ASSERT_TRUE(store.Write(kKey, "flag", PreferenceValue::Dword(2)));
  EXPECT_EQ(store.ReadDword(kKey, "FLAG"), 2u);
  EXPECT_EQ(store.ReadText(kKey, "flag"), std::nullopt) << "a value of another type is absent";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "marlen"),
                          std::filesystem::directory_iterator()),
            1)
      << "no temporary file is left behind";
}

TEST(PreferenceStore, DamagedFileKeepsItsContentAndGainsOnlyTheWrittenValue) {
  TempDir dir;
  const std::string path = dir.File("Vexa.reg");
  const std::string damaged = std::string("\x00\xff garbage\n[HKEY_CURRENT_USER\\", 28) +
                              "software\\marlen\\Vexa\\flag]\n\"flag\"=dword:zz\n";
  WriteFile(path, damaged);
  PreferenceStore store(path);
  EXPECT_EQ(store.ReadDword(kKey, "flag"), std::nullopt);
  ASSERT_TRUE(store.Write(kKey, "other", PreferenceValue::Text("x")));
  const std::string after = ReadFile(path);
  EXPECT_EQ(after.substr(0, damaged.size()), damaged);
  EXPECT_EQ(store.ReadText(kKey, "other"), "x");
  EXPECT_EQ(store.ReadDword(kKey, "flag"), std::nullopt);
}

TEST(PreferenceStore, UnreadableFileIsNeverReplaced) {
  TempDir dir;
  // A folder where the file should be cannot be read by anyone, root included.
  const std::string folderPath = dir.File("Vexa.reg");
  std::filesystem::create_directory(folderPath);
  PreferenceStore folder(folderPath);
  EXPECT_EQ(folder.ReadDword(kKey, "flag"), std::nullopt);
  EXPECT_FALSE(folder.Write(kKey, "flag", PreferenceValue::Dword(1)));
  EXPECT_TRUE(std::filesystem::is_directory(folderPath));

  const std::string fifoPath = dir.File("fifo.reg");  // nobody writes: reading it would wait
  ASSERT_EQ(::mkfifo(fifoPath.c_str(), 0600), 0);
  PreferenceStore fifo(fifoPath);
  EXPECT_EQ(fifo.ReadDword(kKey, "flag"), std::nullopt);
  EXPECT_FALSE(fifo.Write(kKey, "flag", PreferenceValue::Dword(1)));
  EXPECT_TRUE(std::filesystem::is_fifo(fifoPath));

  const std::string hugePath = dir.File("huge.reg");
  const std::string huge(PreferenceStore::kMaxFileSize + 1, '\n');
  WriteFile(hugePath, huge);
  PreferenceStore tooLarge(hugePath);
  EXPECT_EQ(tooLarge.ReadDword(kKey, "flag"), std::nullopt);
  EXPECT_FALSE(tooLarge.Write(kKey, "flag", PreferenceValue::Dword(1)));
  EXPECT_EQ(std::filesystem::file_size(hugePath), huge.size());
}

TEST(PreferenceStore, WritingThroughALinkKeepsTheLink) {
  TempDir dir;
  const std::string target = dir.File("dotfiles/Vexa.reg");
  WriteFile(target, "");
  const std::string link = dir.File("Vexa.reg");
  std::filesystem::create_symlink(target, link);
  PreferenceStore store(link);
  ASSERT_TRUE(store.Write(kKey, "flag", PreferenceValue::Dword(1)));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_NE(ReadFile(target).find("\"flag\"=dword:00000001"), std::string::npos);
}

TEST(PreferenceStore, ConcurrentWritersLoseNoValue) {
  TempDir dir;
  const std::string path = dir.File("Vexa.reg");
  constexpr int kWriters = 4;
  constexpr int kRounds = 40;
  pid_t children[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    children[w] = ::fork();
    ASSERT_GE(children[w], 0);
    if (children[w] == 0) {
      PreferenceStore store(path);
      const std::string name = "writer" + std::to_string(w);
      bool ok = true;
      for (int round = 1; round <= kRounds; ++round) {
        ok = store.Write(kKey, name, PreferenceValue::Dword(static_cast<std::uint32_t>(round))) &&
             ok;
      }
      ::_exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  PreferenceStore store(path);
  for (int w = 0; w < kWriters; ++w) {
    EXPECT_EQ(store.ReadDword(kKey, "writer" + std::to_string(w)), std::uint32_t{kRounds})
        << "writer " << w;
  }
}

}  // namespace
}  // namespace vexa
