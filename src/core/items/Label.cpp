// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/Label.h"

#include "core/codec/Cp932.h"

namespace vexa {

bool SplitLabel(std::string_view label, char separator, std::string& description,
                std::string& data) {
  const std::size_t at = FindCp932Char(label, separator);
  if (at == std::string_view::npos) {
    description.assign(label);
    data.clear();
    return false;
  }
  description.assign(label.substr(0, at));
  data.assign(label.substr(at + 1));
  return true;
}

std::string DisplayTextOf(std::string_view label) {
  if (label.size() <= kDisplayTextMax) return std::string(label);
  std::string shown(label.substr(0, kDisplayTextMax));
  shown += "...";
  return shown;
}

}  // namespace vexa
