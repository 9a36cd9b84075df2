// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/RevalidateTree.h"

#include "core/items/Label.h"

namespace vexa {
namespace {

// Returns true when the data had to be dropped.
bool RevalidateItem(CAttr& item, const CommSettings& settings) {
  SplitLabel(item.label, settings.SeparatorChar(), item.sendDescription, item.sendText);
  if (item.sendText.empty()) {
    item.sendKind = kKindNone;
  } else if (item.sendKind == kKindNone) {
    item.sendKind = settings.DefaultKind();
  }
  bool invalid = false;
  if (item.BuildSendBytes(settings.sendTerminator, settings.useEscapes) != BuildResult::kOk) {
    item.sendKind = kKindNone;
    item.BuildSendBytes(settings.sendTerminator, settings.useEscapes);
    invalid = true;
  }
  item.BuildReceiveBytes(settings.useEscapes);
  return invalid;
}

}  // namespace

bool RevalidateTree(ItemTree& tree, const CommSettings& settings, std::mutex* sendLock) {
  bool invalid = false;
  ForEachItem(tree, nullptr, [&](ItemHandle handle, int) {
    CAttr& item = *tree.Record(handle);
    if (sendLock) {
      std::lock_guard lock(*sendLock);
      invalid |= RevalidateItem(item, settings);
    } else {
      invalid |= RevalidateItem(item, settings);
    }
    tree.RecordChanged(handle);
  });
  return invalid;
}

}  // namespace vexa
