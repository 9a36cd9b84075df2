// SPDX-License-Identifier: GPL-3.0-or-later
#include "ItemLookup.h"

#include <algorithm>

namespace vexa::run {
namespace {

bool EndsWithPath(std::string_view path, std::string_view name) {
  if (path == name) return true;
  return path.size() > name.size() && path.substr(path.size() - name.size()) == name &&
         path[path.size() - name.size() - 1] == '/';
}

}  // namespace

std::string ItemPath(const ItemTree& tree, ItemHandle item) {
  std::vector<const std::string*> parts;
  for (ItemHandle at = item; at; at = tree.Parent(at))
    parts.push_back(&tree.Record(at)->sendDescription);
  std::string path;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    if (!path.empty()) path += '/';
    path += **it;
  }
  return path;
}

LookupResult FindItem(const ItemTree& tree, std::string_view name) {
  std::vector<ItemHandle> byDescription, byPath, near;
  ForEachItem(tree, nullptr, [&](ItemHandle item, int) {
    const std::string& description = tree.Record(item)->sendDescription;
    if (description == name) byDescription.push_back(item);
    if (EndsWithPath(ItemPath(tree, item), name)) {
      byPath.push_back(item);
    } else if (!name.empty() && description.find(name) != std::string::npos) {
      near.push_back(item);
    }
  });
  LookupResult result;
  if (byDescription.size() == 1) {
    result.item = byDescription.front();
  } else if (byPath.size() == 1) {
    result.item = byPath.front();
  } else {
    result.candidates = !byPath.empty() ? byPath : near;
  }
  return result;
}

}  // namespace vexa::run
