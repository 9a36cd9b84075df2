// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recent command files: five slots kept in the preferences (slot 0 the newest), and the
// in-memory ring the ﾌｧｲﾙ menu is built from.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// The file name without folder and without ".vxp", for paths ending exactly in ".vxp" or
// ".VXP"; nullopt otherwise. "/", "\" and ":" all end a folder part.
std::optional<std::string> TitleFromPath(std::string_view path);

// The path named on the command line: a text that starts with a double quote loses its
// first and last characters.
std::string CommandLinePath(std::string_view commandLine);

// `path` as seen from `folder` when it is relative; "." parts and doubled "/" go, ".." parts
// stay (a link on the way decides where they lead).
std::string AbsolutePath(std::string_view path, std::string_view folder);

class RecentFiles {
 public:
  static constexpr int kSlots = 5;

  struct Slot {
    std::string path;
    std::string name;  // empty when the path is not a command file's
  };

  // How the slots reach the preferences: read entry i (nullopt when absent) / write it.
  using ReadEntry = std::function<std::optional<std::string>(int index)>;
  using WriteEntry = std::function<void(int index, std::string_view path)>;

  RecentFiles(ReadEntry read, WriteEntry write)
      : read_(std::move(read)), write_(std::move(write)) {}

  // Fills the slots from the preferences, stopping at the first absent entry.
  void Load();
  // Puts `path` first (an entry for the same path moves up; otherwise the oldest drops out)
  // and stores all slots.
  void HistoryAdd(std::string_view path);
  // Removes the entry for `path`, if any, and stores all slots.
  void HistoryRemove(std::string_view path);

  const Slot& slot(int i) const { return slots_[static_cast<std::size_t>(i)]; }

 private:
  int Find(std::string_view path) const;
  void Store() const;

  ReadEntry read_;
  WriteEntry write_;
  std::array<Slot, kSlots> slots_;
};

// A ring of (path, name) pairs; pair 0 is the one added last.
class CFileHistory {
 public:
  void SetSize(int capacity);
  void Add(std::string path, std::string name);
  std::string GetPath(int i) const;
  std::string GetName(int i) const;
  int count() const { return count_; }

  // Refills the ring from the slots, newest first, skipping slots without a name.
  void RebuildFrom(const RecentFiles& recent);

 private:
  std::vector<std::string> paths_;
  std::vector<std::string> names_;
  int next_ = 0;
  int capacity_ = 0;
  int count_ = 0;
};

}  // namespace vexa
