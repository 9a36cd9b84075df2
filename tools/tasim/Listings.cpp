// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/Listings.h"

#include <cstdio>
#include <utility>

namespace vexa::tasim {
namespace {

constexpr std::string_view kSpeeds[] = {"SAME AS DTE", "1200",  "2400",  "4800",  "9600",
                                        "19200",       "14400", "28800", "38400", "57600"};
constexpr std::string_view kFlowControls[] = {"NONE", "XON/XOFF", "CS", "RS/CS"};
constexpr std::size_t kRegistersPerLine = 4;

std::string OnOff(bool on) {
  return on ? "ON" : "OFF";
}

// "NAME            : value": names padded with blanks so that the values line up.
std::string Row(std::string_view name, const std::string& value) {
  std::string row(name);
  row.resize(16, ' ');
  return row + ": " + value;
}

// As typed: "E1", "&C1", "$N1=0".
std::string Setting(const Profile& profile, std::string_view name) {
  const std::string_view separator = name.starts_with('$') ? "=" : "";
  return std::string(name) + std::string(separator) + FormatValue(profile.Value(name));
}

bool IsRegister(const Parameter& parameter) {
  return parameter.name[0] == 'S';
}

}  // namespace

std::string ThreeDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%03d", value);
  return text;
}

Lines IdentityListing(int number) {
  switch (number) {
    case 0:
      return {"VX-TA64 VER 1.00"};
    case 4:
      return {"VEXA SIMULATED ISDN TERMINAL ADAPTER"};
    default:
      return {};
  }
}

Lines ShortDialListing(const Memory& memory, int page) {
  Lines lines;
  for (int slot = page * kShortDialPageSize; slot < (page + 1) * kShortDialPageSize; ++slot) {
    lines.push_back("&Z" + std::to_string(slot) + "=" + memory.shortDial[slot]);
  }
  return lines;
}

Lines OwnAddressListing(const Memory& memory, char port) {
  const std::string name = port == 'A' || port == 'B' ? std::string("#Z") + port : "#Z";
  return {name + "=" + memory.OwnAddress(port)};
}

Lines StatusListing(const Profile& profile, std::string_view lineState) {
  const int speed = profile.Value("N");
  const int flow = profile.Value("\\Q");
  return {
      Row("DTE SPEED", std::string(kSpeeds[speed]) + " (N" + std::to_string(speed) + ")"),
      Row("DATA FORMAT", "8N1"),
      Row("FLOW CONTROL", std::string(kFlowControls[flow]) + " (\\Q" + std::to_string(flow) + ")"),
      Row("ECHO", OnOff(profile.Value(kEcho) == 1) + " (" + Setting(profile, kEcho) + ")"),
      Row("PPP MODE", std::string(profile.Value("$N1") == 1 ? "SYNC" : "ASYNC") + " (" +
                          Setting(profile, "$N1") + ")"),
      Row("LINE", std::string(lineState)),
      Row("SIGNAL CONTROL",
          Setting(profile, "&C") + " " + Setting(profile, "&D") + " " + Setting(profile, "&S")),
      Row("SIGNALS", "ER=ON DR=ON RS=ON CS=ON CD=" + OnOff(lineState == "ONLINE")),
  };
}

Lines RegisterNameListing(const Profile& profile) {
  Lines lines;
  for (const Parameter& parameter : Profile::Parameters()) {
    if (!IsRegister(parameter)) continue;
    std::string row = parameter.name + " " + std::string(parameter.description);
    row.resize(40, ' ');
    lines.push_back(row + ThreeDigits(profile.Value(parameter.name)));
  }
  return lines;
}

Lines ResultListing(const Profile& profile) {
  return {
      Row("RESULT CODES",
          OnOff(profile.Value(kQuiet) == 0) + " (" + Setting(profile, kQuiet) + ")"),
      Row("RESULT FORM", std::string(profile.Value(kVerbose) == 1 ? "WORDS" : "NUMBERS") + " (" +
                             Setting(profile, kVerbose) + ")"),
      Row("RING INFO", Setting(profile, kRingInfo)),
      Row("RESULT SET", Setting(profile, "X")),
  };
}

Lines RegisterValueListing(const Profile& profile) {
  Lines lines;
  std::string line;
  std::size_t onLine = 0;
  for (const Parameter& parameter : Profile::Parameters()) {
    if (!IsRegister(parameter)) continue;
    if (onLine > 0) line += ' ';
    line += parameter.name + "=" + ThreeDigits(profile.Value(parameter.name));
    if (++onLine == kRegistersPerLine) {
      lines.push_back(std::exchange(line, {}));
      onLine = 0;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

Lines GroupListing(const Profile& profile, char group) {
  const std::string prefix = std::string("$") + group;
  Lines lines;
  for (const Parameter& parameter : Profile::Parameters()) {
    if (parameter.name.rfind(prefix, 0) != 0) continue;
    std::string row = parameter.name + "=" + FormatValue(profile.Value(parameter.name));
    row.resize(9, ' ');
    lines.push_back(row + std::string(parameter.description));
  }
  return lines;
}

Lines TotalChargeListing(const Memory& memory) {
  return {Row("TOTAL CHARGE", std::to_string(memory.totalCharge) + " YEN")};
}

Lines LastCallListing(const Memory& memory) {
  if (!memory.hadCall) return {Row("LAST CALL", "NONE")};
  return {
      Row("LAST CALL", memory.lastCall.address),
      Row("CAUSE", "16 NORMAL CALL CLEARING"),
      Row("CHARGE", std::to_string(memory.lastCall.charge) + " YEN"),
  };
}

}  // namespace vexa::tasim
