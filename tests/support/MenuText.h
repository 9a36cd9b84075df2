// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A menu description as the rows an operator reads: "-" for a separator, "text" for an
// entry, "text (grey)" for a greyed one; a popup's entries follow it indented by two blanks.

#include <string>
#include <vector>

#include "core/MenuDescription.h"

namespace vexa::test {

inline void AppendRows(const MenuDescription& menu, const std::string& indent,
                       std::vector<std::string>& rows) {
  for (const MenuEntry& entry : menu) {
    if (entry.kind == MenuEntry::Kind::kSeparator) {
      rows.push_back(indent + "-");
      continue;
    }
    rows.push_back(indent + entry.text + (entry.enabled ? "" : " (grey)"));
    AppendRows(entry.children, indent + "  ", rows);
  }
}

inline std::vector<std::string> Rows(const MenuDescription& menu) {
  std::vector<std::string> rows;
  AppendRows(menu, "", rows);
  return rows;
}

}  // namespace vexa::test
