// SPDX-License-Identifier: GPL-3.0-or-later
#include "TreeDump.h"

#include "core/codec/Cp932.h"

namespace vexa::run {
namespace {

const char* KindName(std::int32_t kind) {
  switch (kind) {
    case kKindText:
      return "text";
    case kKindHex:
      return "hex";
    default:
      return "none";
  }
}

}  // namespace

std::string DumpTree(const ItemTree& tree) {
  std::string out;
  ForEachItem(tree, nullptr, [&](ItemHandle item, int level) {
    const CAttr& r = *tree.Record(item);
    out += std::to_string(level);
    out += '\t';
    out += KindName(r.sendKind);
    out += '\t';
    out += r.repeatPeriod != 0 ? std::to_string(r.repeatPeriod) : "-";
    out += '\t';
    out += r.receiveLength() != 0
               ? Cp932ToUtf8(r.receiveText) + " after " + std::to_string(r.answerDelay) + " ms"
               : "-";
    out += '\t';
    out += Cp932ToUtf8(r.label);
    out += '\n';
  });
  return out;
}

}  // namespace vexa::run
