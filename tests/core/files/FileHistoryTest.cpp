// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/FileHistory.h"

#include <gtest/gtest.h>

#include <map>

namespace vexa {
namespace {

TEST(TitleFromPath, OnlyExactExtensions) {
  struct Case {
    std::string path;
    std::optional<std::string> title;
  };
  const Case cases[] = {
      {"/home/op/abc.vxp", "abc"},
      {"/home/op/ABC.VXP", "ABC"},
      {"abc.vxp", "abc"},
      {"C:\\data\\ta.vxp", "ta"},
      {"C:ta.vxp", "ta"},
      {"/home/op/abc.Vxp", std::nullopt},
      {"/home/op/abc.vxp.bak", std::nullopt},
      {"/home/op/abc", std::nullopt},
      {"vxp", std::nullopt},
      {"/home/op/.vxp", ""},
      {"/home/op/日本.vxp", "日本"},
  };
  for (const Case& c : cases) EXPECT_EQ(TitleFromPath(c.path), c.title) << c.path;
}

TEST(CommandLinePath, QuotesAroundThePathGo) {
  EXPECT_EQ(CommandLinePath("\"/tmp/a b.vxp\""), "/tmp/a b.vxp");
  EXPECT_EQ(CommandLinePath("/tmp/a b.vxp"), "/tmp/a b.vxp");
  EXPECT_EQ(CommandLinePath("\"/tmp/x.vxp"), "/tmp/x.vx")
      << "the first and last characters, whatever the last is";
  EXPECT_EQ(CommandLinePath("\""), "");
  EXPECT_EQ(CommandLinePath(""), "");
}

TEST(AbsolutePath, JoinsTheFolderOfARelativePath) {
  EXPECT_EQ(AbsolutePath("rel.vxp", "/home/op"), "/home/op/rel.vxp");
  EXPECT_EQ(AbsolutePath("./sub//rel.vxp", "/home/op/"), "/home/op/sub/rel.vxp");
  EXPECT_EQ(AbsolutePath("../rel.vxp", "/home/op"), "/home/op/../rel.vxp")
      << "through the folder, as the file system goes, whatever links lie on the way";
  EXPECT_EQ(AbsolutePath("rel.vxp", "/"), "/rel.vxp");
  EXPECT_EQ(AbsolutePath("/abs/a.vxp", "/home/op"), "/abs/a.vxp");
  EXPECT_EQ(AbsolutePath("", "/home/op"), "");
}

// Preferences stand-in: a map of entries, as the registry would hold them.
struct Entries {
  std::map<int, std::string> values;
  int writes = 0;
  RecentFiles Make() {
    return RecentFiles(
        [this](int i) -> std::optional<std::string> {
          auto it = values.find(i);
          return it == values.end() ? std::nullopt : std::optional(it->second);
        },
        [this](int i, std::string_view path) {
          values[i] = std::string(path);
          ++writes;
        });
  }
};

std::string Paths(const RecentFiles& recent) {
  std::string out;
  for (int i = 0; i < RecentFiles::kSlots; ++i) out += recent.slot(i).path + "|";
  return out;
}

TEST(RecentFiles, LoadStopsAtTheFirstAbsentEntry) {
  Entries entries;
  entries.values = {{0, "/a.vxp"}, {1, ""}, {2, "/c.txt"}, {4, "/e.vxp"}};
  RecentFiles recent = entries.Make();
  recent.Load();
  EXPECT_EQ(Paths(recent), "/a.vxp||/c.txt|||");
  EXPECT_EQ(recent.slot(0).name, "a");
  EXPECT_EQ(recent.slot(2).name, "") << "not a command file";
  EXPECT_EQ(entries.writes, 0);
}

// Paths name files exactly: on Linux "/3.vxp" and "/3.VXP" are two files.
TEST(RecentFiles, AddMovesTheSamePathToTopAndDropsTheOldest) {
  Entries entries;
  RecentFiles recent = entries.Make();
  for (const char* p : {"/1.vxp", "/2.vxp", "/3.vxp", "/4.vxp", "/5.vxp"}) recent.HistoryAdd(p);
  EXPECT_EQ(Paths(recent), "/5.vxp|/4.vxp|/3.vxp|/2.vxp|/1.vxp|");
  recent.HistoryAdd("/3.vxp");
  EXPECT_EQ(Paths(recent), "/3.vxp|/5.vxp|/4.vxp|/2.vxp|/1.vxp|");
  recent.HistoryAdd("/3.VXP");
  EXPECT_EQ(Paths(recent), "/3.VXP|/3.vxp|/5.vxp|/4.vxp|/2.vxp|");
  EXPECT_EQ(entries.values[0], "/3.VXP") << "every change stores all slots";
  EXPECT_EQ(entries.values[4], "/2.vxp");

  const int before = entries.writes;
  recent.HistoryRemove("/5.VXP");
  EXPECT_EQ(entries.writes, before) << "another file: nothing to remove";
  recent.HistoryRemove("/5.vxp");
  EXPECT_EQ(Paths(recent), "/3.VXP|/3.vxp|/4.vxp|/2.vxp||");
  EXPECT_EQ(entries.values[4], "");
  const int writes = entries.writes;
  recent.HistoryRemove("/none.vxp");
  recent.HistoryRemove("");
  recent.HistoryAdd("");
  EXPECT_EQ(entries.writes, writes) << "nothing to change, nothing stored";
}

TEST(CFileHistory, RingNewestFirst) {
  CFileHistory history;
  history.SetSize(3);
  EXPECT_EQ(history.GetName(0), "");
  for (const char* n : {"a", "b", "c", "d"}) history.Add(std::string("/") + n, n);
  EXPECT_EQ(history.count(), 3);
  EXPECT_EQ(history.GetName(0), "d");
  EXPECT_EQ(history.GetName(2), "b");
  EXPECT_EQ(history.GetPath(1), "/c");
  EXPECT_EQ(history.GetName(3), "");
  EXPECT_EQ(history.GetName(-1), "");
}

TEST(CFileHistory, RebuildKeepsEachEntrysOwnPath) {
  Entries entries;
  entries.values = {{0, "/x/same.vxp"}, {1, "/notes.txt"}, {2, "/y/same.vxp"}};
  RecentFiles recent = entries.Make();
  recent.Load();
  CFileHistory history;
  history.RebuildFrom(recent);
  ASSERT_EQ(history.count(), 2);
  EXPECT_EQ(history.GetPath(0), "/x/same.vxp");
  EXPECT_EQ(history.GetPath(1), "/y/same.vxp");
}

}  // namespace
}  // namespace vexa
