// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace vexa {

FontWarmUp::FontWarmUp() : reader_([] { FcInit(); }) {}

FontWarmUp::~FontWarmUp() {
  Finish();
}

void FontWarmUp::Finish() {
  if (reader_.joinable()) reader_.join();
}

}  // namespace vexa
