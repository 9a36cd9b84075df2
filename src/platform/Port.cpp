// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Port.h"

#include <algorithm>

namespace vexa {
namespace {

int BitsPerCharacter(const LineSettings& line) {
  const int dataBits = (line.dataBits >= 5 && line.dataBits <= 8) ? line.dataBits : 8;
  return 1 + dataBits + (line.parity != 0 ? 1 : 0) + (line.stopBits != 0 ? 2 : 1);
}

}  // namespace

std::chrono::milliseconds WriteTimeLimit(std::size_t bytes, const LineSettings& line) {
  const long long baud = std::max<std::int32_t>(line.baudRate, 1);
  const long long bits = static_cast<long long>(bytes) * BitsPerCharacter(line);
  return std::chrono::milliseconds(2000 + (bits * 1000 + baud - 1) / baud);
}

}  // namespace vexa
