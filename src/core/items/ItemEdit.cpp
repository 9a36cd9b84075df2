// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/ItemEdit.h"

#include "core/items/Label.h"

namespace vexa {
namespace {

BuildResult Derive(CAttr& copy, const CommSettings& settings) {
  return copy.BuildSendBytes(settings.sendTerminator, settings.useEscapes != 0);
}

}  // namespace

BuildResult ApplyEditedLine(CAttr& copy, std::string_view line, const CommSettings& settings) {
  std::string description;
  std::string data;
  if (!SplitLabel(line, settings.SeparatorChar(), description, data)) {
    copy.sendKind = kKindNone;
  } else if (copy.sendKind == kKindNone) {
    copy.sendKind = settings.DefaultKind();
  }
  copy.sendDescription = std::move(description);
  copy.sendText = std::move(data);
  copy.label.assign(line);
  return Derive(copy, settings);
}

void KeepAsText(CAttr& copy, const CommSettings& settings) {
  copy.sendKind = kKindText;
  Derive(copy, settings);
}

std::optional<BuildResult> ChangeDataKind(CAttr& copy, std::int32_t kind,
                                          const CommSettings& settings) {
  if (copy.sendText.empty() || copy.sendKind == kind) return std::nullopt;
  copy.sendKind = kind;
  return Derive(copy, settings);
}

}  // namespace vexa
