// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/codec/TimeText.h"

#include <cstdio>
#include <ctime>

namespace vexa {
namespace {

struct LocalTime {
  std::tm fields{};
  int millis = 0;
};

// Whole seconds towards the past, also before 1970, so the milliseconds are never negative.
LocalTime ToLocal(WallTime time) {
  using namespace std::chrono;
  const auto since = duration_cast<milliseconds>(time.time_since_epoch()).count();
  const long long seconds = since >= 0 ? since / 1000 : -((-since + 999) / 1000);
  LocalTime local;
  local.millis = static_cast<int>(since - seconds * 1000);
  const std::time_t whole = static_cast<std::time_t>(seconds);
  localtime_r(&whole, &local.fields);
  return local;
}

}  // namespace

std::string TimeOfDayText(WallTime time) {
  const LocalTime local = ToLocal(time);
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.fields.tm_hour, local.fields.tm_min,
                local.fields.tm_sec, local.millis);
  return text;
}

std::string IsoTimeText(WallTime time) {
  const LocalTime local = ToLocal(time);
  char date[32];
  char zone[8];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local.fields);
  std::strftime(zone, sizeof zone, "%z", &local.fields);  // +hhmm
  char text[64];
  std::snprintf(text, sizeof text, "%s.%03d%.3s:%s", date, local.millis, zone, zone + 3);
  return text;
}

}  // namespace vexa
