// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/FileHistory.h"

#include <algorithm>

namespace vexa {

std::optional<std::string> TitleFromPath(std::string_view path) {
  constexpr std::size_t kExtension = 4;
  if (path.size() < kExtension) return std::nullopt;
  const std::string_view extension = path.substr(path.size() - kExtension);
  if (extension != ".vxp" && extension != ".VXP") return std::nullopt;
  const std::size_t folderEnd = path.find_last_of("/\\:");
  const std::size_t start = folderEnd == std::string_view::npos ? 0 : folderEnd + 1;
  if (start > path.size() - kExtension) return std::nullopt;  // the extension is in a folder
  return std::string(path.substr(start, path.size() - kExtension - start));
}

std::string CommandLinePath(std::string_view commandLine) {
  if (commandLine.empty() || commandLine.front() != '"') return std::string(commandLine);
  commandLine.remove_prefix(1);
  if (!commandLine.empty()) commandLine.remove_suffix(1);
  return std::string(commandLine);
}

std::string AbsolutePath(std::string_view path, std::string_view folder) {
  if (path.empty() || (path.front() != '/' && folder.empty())) return std::string(path);
  const std::string whole =
      path.front() == '/' ? std::string(path) : std::string(folder) + '/' + std::string(path);
  std::string out;
  for (std::size_t start = 0; start < whole.size();) {
    const std::size_t end = std::min(whole.find('/', start), whole.size());
    const std::string_view part = std::string_view(whole).substr(start, end - start);
    if (!part.empty() && part != ".") out.append("/").append(part);
    start = end + 1;
  }
  return out.empty() ? "/" : out;
}

void RecentFiles::Load() {
  for (int i = 0; i < kSlots; ++i) {
    std::optional<std::string> path = read_(i);
    if (!path) break;
    slots_[static_cast<std::size_t>(i)] = {*path, TitleFromPath(*path).value_or("")};
  }
}

int RecentFiles::Find(std::string_view path) const {
  if (path.empty()) return -1;  // an empty slot is not an entry for "no file"
  // Exactly: on Linux, names that differ only in letter case are different files.
  for (int i = 0; i < kSlots; ++i) {
    if (slots_[static_cast<std::size_t>(i)].path == path) return i;
  }
  return -1;
}

void RecentFiles::HistoryAdd(std::string_view path) {
  if (path.empty()) return;
  const int found = Find(path);
  const int dropped = found >= 0 ? found : kSlots - 1;
  std::move_backward(slots_.begin(), slots_.begin() + dropped, slots_.begin() + dropped + 1);
  slots_[0] = {std::string(path), TitleFromPath(path).value_or("")};
  Store();
}

void RecentFiles::HistoryRemove(std::string_view path) {
  const int found = Find(path);
  if (found < 0) return;
  std::move(slots_.begin() + found + 1, slots_.end(), slots_.begin() + found);
  slots_.back() = Slot{};
  Store();
}

void RecentFiles::Store() const {
  for (int i = 0; i < kSlots; ++i) write_(i, slots_[static_cast<std::size_t>(i)].path);
}

void CFileHistory::SetSize(int capacity) {
  capacity_ = std::max(capacity, 0);
  paths_.assign(static_cast<std::size_t>(capacity_), {});
  names_.assign(static_cast<std::size_t>(capacity_), {});
  next_ = 0;
  count_ = 0;
}

void CFileHistory::Add(std::string path, std::string name) {
  if (capacity_ == 0) return;
  paths_[static_cast<std::size_t>(next_)] = std::move(path);
  names_[static_cast<std::size_t>(next_)] = std::move(name);
  next_ = (next_ + 1) % capacity_;
  count_ = std::min(count_ + 1, capacity_);
}

std::string CFileHistory::GetPath(int i) const {
  if (i < 0 || i >= count_) return {};
  return paths_[static_cast<std::size_t>((next_ - 1 - i + capacity_) % capacity_)];
}

std::string CFileHistory::GetName(int i) const {
  if (i < 0 || i >= count_) return {};
  return names_[static_cast<std::size_t>((next_ - 1 - i + capacity_) % capacity_)];
}

void CFileHistory::RebuildFrom(const RecentFiles& recent) {
  SetSize(RecentFiles::kSlots);
  // Each entry keeps its own slot's path: two files of the same name in different folders
  // must open different files.
  for (int i = RecentFiles::kSlots - 1; i >= 0; --i) {
    const RecentFiles::Slot& slot = recent.slot(i);
    if (!slot.name.empty()) Add(slot.path, slot.name);
  }
}

}  // namespace vexa
