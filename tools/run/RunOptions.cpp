// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunOptions.h"

#include <cmath>
#include <cstdlib>
#include <regex>

#include "core/settings/CommSettings.h"

namespace vexa::run {
namespace {

bool ParseSeconds(const std::string& text, double& seconds) {
  char* end = nullptr;
  seconds = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == '\0' && std::isfinite(seconds) && seconds > 0;
}

}  // namespace

const char* RunUsage() {
  return "usage: vexa-run FILE.vxp [--port NAME] [--send DESC | --send-text TEXT | --send-hex "
         "HEX]...\n"
         "                [--for SECONDS] [--until REGEX] [--hex] [--timestamps] [--show-sent]\n"
         "                [--log FILE] [--reconnect]\n"
         "       vexa-run FILE.vxp --dump\n"
         "       vexa-run --list-ports\n"
         "\n"
         "Opens the port of a Vexa command file, starts its periodic sends and automatic\n"
         "answers, performs the sends in order and prints every received line.\n"
         "\n"
         "  --port NAME        use this port instead of the file's: COM1..COM8, a device path,\n"
         "                     or a port on another machine, tcp://HOST:PORT (raw TCP) or\n"
         "                     rfc2217://HOST:PORT (Telnet with RFC 2217), as ser2net offers\n"
         "  --send DESC        send the tree item with this description (or \"/\"-joined path)\n"
         "  --send-text TEXT   send TEXT as the command box does in text mode\n"
         "  --send-hex HEX     send HEX digits as the command box does in HEX mode\n"
         "  --for SECONDS      stop after this time (exit 0; exit 1 when --until never matched)\n"
         "  --until REGEX      stop with exit 0 at the first received line that matches\n"
         "  --hex              print received lines as HEX instead of text\n"
         "  --timestamps       prefix each line with its ISO-8601 arrival (or write) time\n"
         "  --show-sent        print every write to the port too, in its place among the\n"
         "                     received lines: \"→\" sent, \"⟳\" periodic, \"↩\" automatic answer\n"
         "  --log FILE         write the received bytes to FILE like the communication log\n"
         "  --reconnect        when the device goes away, wait for it to come back under the\n"
         "                     same name and go on (a network port: connect again)\n"
         "  --dump             print the command tree and exit\n"
         "  --list-ports       print the ports the settings dialog offers, each device with\n"
         "                     what it is after a tab (maker, model, S/N, driver), and exit\n"
         "  --help             show this text\n"
         "\n"
         "Without --for or --until it runs until interrupted. Exit status 2: bad arguments,\n"
         "bad file, port cannot be opened, send error or device lost (without --reconnect);\n"
         "3: received lines were lost (the output was read too slowly, or data came too\n"
         "fast), told on stderr.\n";
}

std::optional<RunOptions> ParseRunOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  RunOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> inlineValue;
    if (name.rfind("--", 0) == 0) {
      if (const auto eq = name.find('='); eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name.resize(eq);
      }
    }
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < args.size()) return args[++i];
      error = name + " needs a value";
      return std::nullopt;
    };
    auto flag = [&](bool& target) {
      if (inlineValue) {
        error = name + " takes no value";
        return false;
      }
      target = true;
      return true;
    };
    if (name == "--port") {
      auto v = value();
      if (!v) return std::nullopt;
      if (!IsValidPortName(*v)) {
        error = "not a port name: " + *v +
                " (COM0..COM8, an absolute device path, tcp://HOST:PORT or rfc2217://HOST:PORT)";
        return std::nullopt;
      }
      options.port = *v;
    } else if (name == "--send" || name == "--send-text" || name == "--send-hex") {
      auto v = value();
      if (!v) return std::nullopt;
      const auto kind = name == "--send"        ? SendStep::Kind::kItem
                        : name == "--send-text" ? SendStep::Kind::kText
                                                : SendStep::Kind::kHex;
      options.sends.push_back({kind, *v});
    } else if (name == "--for") {
      auto v = value();
      double seconds = 0;
      if (!v) return std::nullopt;
      if (!ParseSeconds(*v, seconds)) {
        error = "--for needs a positive number of seconds, not " + *v;
        return std::nullopt;
      }
      options.forSeconds = seconds;
    } else if (name == "--until") {
      auto v = value();
      if (!v) return std::nullopt;
      try {
        std::regex check(*v);
      } catch (const std::regex_error& e) {
        error = "--until: not a regular expression: " + *v;
        return std::nullopt;
      }
      options.until = *v;
    } else if (name == "--log") {
      auto v = value();
      if (!v) return std::nullopt;
      options.logFile = *v;
    } else if (name == "--hex") {
      if (!flag(options.hex)) return std::nullopt;
    } else if (name == "--timestamps") {
      if (!flag(options.timestamps)) return std::nullopt;
    } else if (name == "--show-sent") {
      if (!flag(options.showSent)) return std::nullopt;
    } else if (name == "--reconnect") {
      if (!flag(options.reconnect)) return std::nullopt;
    } else if (name == "--dump") {
      if (!flag(options.dump)) return std::nullopt;
    } else if (name == "--list-ports") {
      if (!flag(options.listPorts)) return std::nullopt;
    } else if (name == "--help" || name == "-h") {
      options.help = true;
    } else if (name.size() > 1 && name[0] == '-') {
      error = "unknown option " + name;
      return std::nullopt;
    } else if (options.file.empty()) {
      options.file = name;
    } else {
      error = "only one command file may be given: " + name;
      return std::nullopt;
    }
  }
  if (!options.help && !options.listPorts && options.file.empty()) {
    error = "a command file (.vxp) is needed";
    return std::nullopt;
  }
  return options;
}

}  // namespace vexa::run
