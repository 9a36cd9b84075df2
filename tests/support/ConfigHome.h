// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Points XDG_CONFIG_HOME at a fresh folder for one test, so the preference file is its own.

#include <cstdlib>
#include <optional>
#include <string>

#include "support/TempDir.h"

namespace vexa::test {

class ConfigHome {
 public:
  ConfigHome() {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_ = old;
    ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  }
  ~ConfigHome() {
    old_ ? ::setenv("XDG_CONFIG_HOME", old_->c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
  }
  ConfigHome(const ConfigHome&) = delete;
  ConfigHome& operator=(const ConfigHome&) = delete;

  std::string PreferenceFile() const { return dir_.File("marlen/Vexa.reg"); }

 private:
  TempDir dir_;
  std::optional<std::string> old_;
};

}  // namespace vexa::test
