// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// English text for a failed system call: "what: reason" from errno.

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

namespace vexa::tasim {

inline std::string SystemError(std::string_view what, int error = errno) {
  return std::string(what) + ": " + std::strerror(error);
}

}  // namespace vexa::tasim
