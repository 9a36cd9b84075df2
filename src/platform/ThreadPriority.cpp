// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>

namespace vexa {

void AskForRealTimePriority() {
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

void LeaveRealTimePriority() {
  sched_param param{};
  pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);
}

}  // namespace vexa
