// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/Resources.h"

#include <QtGlobal>
#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterVexaResources() {
  Q_INIT_RESOURCE(vexa);
}

namespace vexa {

void LoadResources() {
  static std::once_flag once;
  std::call_once(once, RegisterVexaResources);
}

}  // namespace vexa
