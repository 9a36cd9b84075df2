// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A context menu as plain data: the core decides its rows and their greying, the widget
// layer shows it (platform/UiSeam.h) and hands back the chosen command.

#include <string>
#include <utility>
#include <vector>

namespace vexa {

// One entry of a context menu as the widgets should show it. Texts are UTF-8.
struct MenuEntry {
  enum class Kind { kCommand, kSeparator, kPopup };
  Kind kind = Kind::kCommand;
  int id = 0;  // command id of a kCommand entry
  std::string text;
  bool enabled = true;
  std::vector<MenuEntry> children;  // entries of a kPopup

  static MenuEntry Command(int id, std::string text, bool enabled = true) {
    return {Kind::kCommand, id, std::move(text), enabled, {}};
  }
  static MenuEntry Separator() { return {Kind::kSeparator, 0, {}, true, {}}; }
  static MenuEntry Popup(std::string text, bool enabled, std::vector<MenuEntry> children) {
    return {Kind::kPopup, 0, std::move(text), enabled, std::move(children)};
  }
};
using MenuDescription = std::vector<MenuEntry>;

}  // namespace vexa
