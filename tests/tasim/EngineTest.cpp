// SPDX-License-Identifier: GPL-3.0-or-later
#include "tasim/Engine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/items/DefaultSet.h"

namespace vexa::tasim {
namespace {

using namespace std::chrono_literals;

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kConnect = "\r\nCONNECT\r\n";
const std::string kRing = "\r\nRING\r\n";
const std::string kNoCarrier = "\r\nNO CARRIER\r\n";

// An adapter on a clock that only moves when the test says so.
class Adapter {
 public:
  explicit Adapter(EngineOptions options = {}) : engine_(options, now_) {}

  std::string Send(std::string_view bytes) {
    engine_.Receive(bytes, now_);
    return engine_.TakeOutput();
  }
  // Echo off first, so that answers compare without the typed text.
  std::string Quiet() { return Send("ATE0\r"); }
  std::string Wait(Millis time) {
    now_ += time;
    engine_.AdvanceTo(now_);
    return engine_.TakeOutput();
  }
  TimePoint now() const { return now_; }
  const Engine& engine() const { return engine_; }

 private:
  TimePoint now_ = TimePoint{} + 1h;
  Engine engine_;
};

// Brings an adapter into data mode through a dialled call.
void Connect(Adapter& adapter) {
  adapter.Quiet();
  adapter.Send("ATD0312345678\r");
  ASSERT_EQ(adapter.Wait(EngineOptions{}.dialDelay), kConnect);
}

TEST(TasimEngine, EchoAndResultCodeForms) {
  struct Case {
    std::string setup, input, expected;
  };
  const Case cases[] = {
      {"", "AT\r", "AT\r" + kOk},
      {"", "AT\r\n", "AT\r" + kOk},  // the LF of CR LF is neither echoed nor answered
      {"", "at\r", "at\r" + kOk},
      {"", "aT\r", "aT\r" + kOk},
      {"", "\r", "\r"},  // a bare line end is no command
      {"", "ATE0\r", "ATE0\r" + kOk},
      {"ATE0\r", "ATE1\r", kOk},
      {"ATE0\r", "AT E 0 V 1\r", kOk},
      {"ATE0\r", "ATQ\b\r", kOk},  // backspace edits the line
      {"ATE0\r", "A\b\b\bAT\r", kOk},
      {"ATE0\r", "ATV0\r", "0\r"},
      {"ATE0V0\r", "ATX9\r", "4\r"},
      {"ATE0V0\r", "ATS2?\r", "043\r\n0\r"},
      {"ATE0\r", "ATV0S0?V1S0?\r", "000\r\n\r\n000\r\n" + kOk},  // each text in its form
      {"ATE0\r", "ATV0K\r", "4\r"},  // what came before the bad command stays done
      {"ATE0\r", "ATQ1\r", kOk},     // its own answer still comes
      {"ATE0Q1\r", "AT\r", ""},
      {"ATE0Q1\r", "ATQ0\r", kOk},
      {"ATE0Q1\r", "ATK\r", ""},
      {"ATE0Q1\r", "ATS0?\r", "\r\n000\r\n"},  // information is not a result code
      {"ATE0\r", "ATQ0E1\r", kOk},
      {"ATE0\r", "ATE2\r", kError},
      {"ATE0\r", "HELLO\r", kError},
      {"ATE0\r", "A\r", kError},
      {"ATE0\r", "ATI0I4\r",
       "\r\nVX-TA64 VER 1.00\r\n\r\nVEXA SIMULATED ISDN TERMINAL ADAPTER\r\n" + kOk},
      {"ATE0\r", "ATI9\r", kError},
      {"ATE0\r", "AT" + std::string(200, 'E') + "\r", kOk},
      {"ATE0\r", "AT" + std::string(300, 'E') + "\r", kError},  // longer than the line holds
      {"ATE0\r", "AT\xE3\x81\x82\r", kError},
  };
  for (const Case& c : cases) {
    Adapter adapter;
    adapter.Send(c.setup);
    EXPECT_EQ(adapter.Send(c.input), c.expected) << "after " << c.setup << " sent " << c.input;
  }
}

TEST(TasimEngine, CharacterRegistersShapeTheLines) {
  Adapter adapter;
  adapter.Quiet();
  EXPECT_EQ(adapter.Send("ATS3=33\r"), "!\nOK!\n") << "the answer already uses the new S3";
  EXPECT_EQ(adapter.Send("AT\r"), "") << "CR no longer ends a line";
  EXPECT_EQ(adapter.Send("!"), "!\nOK!\n") << "the CR was dropped, the '!' ended the line";
  adapter.Send("ATS5=35!");
  EXPECT_EQ(adapter.Send("ATX#S3=13!"), "\r\nOK\r\n") << "'#' is the backspace now";
}

TEST(TasimEngine, RegistersRoundTrip) {
  for (const Parameter& parameter : Profile::Parameters()) {
    if (parameter.name[0] != 'S' || parameter.name == kLineEnd || parameter.name == kLineFeed ||
        parameter.name == kBackspace) {
      continue;  // those three change how lines end; see above
    }
    Adapter adapter;
    adapter.Quiet();
    const std::string read = "AT" + parameter.name + "?\r";
    const int value = parameter.max;
    EXPECT_EQ(adapter.Send(read), "\r\n" + ThreeDigits(parameter.factory) + "\r\n" + kOk);
    EXPECT_EQ(adapter.Send("AT" + parameter.name + "=" + std::to_string(value) + "\r"), kOk);
    EXPECT_EQ(adapter.Send(read), "\r\n" + ThreeDigits(value) + "\r\n" + kOk) << parameter.name;
    EXPECT_EQ(adapter.Send("AT" + parameter.name + "=" + std::to_string(value + 1) + "\r"), kError);
    EXPECT_EQ(adapter.Send(read), "\r\n" + ThreeDigits(value) + "\r\n" + kOk)
        << "a refused value leaves the register alone";
    EXPECT_EQ(adapter.Send("ATZ\r"), kOk);
    adapter.Quiet();
    EXPECT_EQ(adapter.Send(read), "\r\n" + ThreeDigits(parameter.factory) + "\r\n" + kOk)
        << parameter.name << " after ATZ";
  }

  Adapter adapter;
  adapter.Quiet();
  for (const char* bad : {"ATS99?\r", "ATS6?\r", "ATS0\r", "ATS?\r", "ATS0=99999999999\r"}) {
    EXPECT_EQ(adapter.Send(bad), kError) << bad;
  }
  EXPECT_EQ(adapter.Send("ATS0=7S0=\r"), kOk);
  EXPECT_EQ(adapter.Send("ATS0?\r"), "\r\n000\r\n" + kOk) << "a missing value is 0";
}

TEST(TasimEngine, ParametersKeepTheirRanges) {
  Adapter adapter;
  adapter.Quiet();
  for (const char* good : {"AT&K3\r", "AT&K4\r", "AT$C2=3\r", "AT$N8=8\r", "AT$N3=127\r",
                           "AT$A7=3\r", "AT\\Q3\r", "ATN9\r", "ATX0\r"}) {
    EXPECT_EQ(adapter.Send(good), kOk) << good;
  }
  for (const char* bad : {"AT&K1\r", "AT$C2=2\r", "AT$N8=0\r", "AT$N3=128\r", "AT$A8=0\r",
                          "AT$A1=N\r", "AT$D1=0\r", "AT$A1\r", "AT\\Q4\r", "AT&Q0\r"}) {
    EXPECT_EQ(adapter.Send(bad), kError) << bad;
  }
  EXPECT_EQ(adapter.Send("AT$N3?\r"), "\r\n127\r\n" + kOk);
  EXPECT_EQ(adapter.Send("AT$N3=N\r"), kOk);
  EXPECT_EQ(adapter.Send("AT$N3?\r"), "\r\nN\r\n" + kOk);
  const std::string groupA = adapter.Send("AT$A0\r");
  EXPECT_NE(groupA.find("\r\n$A7=3    DIAL DIGIT TIMER"), std::string::npos) << groupA;
  EXPECT_EQ(groupA.find("$B"), std::string::npos) << groupA;
  EXPECT_NE(adapter.Send("AT$N0\r").find("$N10=0"), std::string::npos);
}

// The commands of the built-in set, as a user clicks through them on a fresh adapter.
std::vector<std::string> BuiltInCommands() {
  std::vector<std::string> commands;
  std::istringstream lines(DefaultCommandSetText());
  for (std::string line; std::getline(lines, line);) {
    const auto semicolon = line.find(';');
    if (semicolon != std::string::npos && semicolon + 1 < line.size()) {
      commands.push_back(line.substr(semicolon + 1));
    }
  }
  return commands;
}

std::string ExpectedFinalResult(const std::string& command) {
  if (command.starts_with("ATD")) return kConnect;
  if (command == "ATA" || command == "ATO") return kNoCarrier;  // no call to answer or resume
  if (command == "ATV0") return "0\r";
  return kOk;
}

bool IsDisplayCommand(const std::string& command) {
  for (const char* display : {"ATI", "AT&H", "AT\\S", "AT\\C0", "AT#C", "AT#H"}) {
    if (command.starts_with(display)) return true;
  }
  return command.ends_with("?") || (command.starts_with("AT$") && command[4] == '0');
}

TEST(TasimEngine, AnswersEveryCommandOfTheBuiltInSet) {
  const std::vector<std::string> commands = BuiltInCommands();
  ASSERT_EQ(commands.size(), 152u);
  for (const std::string& command : commands) {
    Adapter adapter;
    std::string answer = adapter.Send(command + "\r");
    answer += adapter.Wait(EngineOptions{}.dialDelay);
    const std::string echo = command + "\r";
    ASSERT_TRUE(answer.starts_with(echo)) << command << " -> " << answer;
    const std::string expected = ExpectedFinalResult(command);
    ASSERT_TRUE(answer.ends_with(expected)) << command << " -> " << answer;
    EXPECT_EQ(answer.find("ERROR"), std::string::npos) << command << " -> " << answer;
    const std::size_t information = answer.size() - echo.size() - expected.size();
    EXPECT_EQ(information > 0, IsDisplayCommand(command)) << command << " -> " << answer;
  }
}

TEST(TasimEngine, StoredNumbersShowInTheListings) {
  Adapter adapter;
  adapter.Quiet();
  EXPECT_EQ(adapter.Send("AT&Z3=0311112222/55\r"), kOk);
  EXPECT_EQ(adapter.Send("at&z15=02-4444-5555\r"), kOk);
  const std::string page0 = adapter.Send("AT&H0\r");
  EXPECT_NE(page0.find("\r\n&Z3=0311112222/55\r\n"), std::string::npos) << page0;
  EXPECT_NE(page0.find("\r\n&Z9=\r\n"), std::string::npos) << page0;
  EXPECT_EQ(page0.find("&Z15"), std::string::npos) << page0;
  EXPECT_NE(adapter.Send("AT&H1\r").find("\r\n&Z15=02-4444-5555\r\n"), std::string::npos);
  for (const char* bad : {"AT&H2\r", "AT&Z20=1\r", "AT&Z3=12A\r", "AT&Z3=12/\r", "AT&Z3\r",
                          "AT#Z\r", "AT#ZA1/2/3\r", "AT#ZC1\r"}) {
    EXPECT_EQ(adapter.Send(bad), kError) << bad;
  }

  EXPECT_EQ(adapter.Send("AT#Z012345678/910\r"), kOk);
  EXPECT_EQ(adapter.Send("AT#ZA=0311110000/333\r"), kOk);
  EXPECT_EQ(adapter.Send("AT#ZB0322220000\r"), kOk);
  EXPECT_EQ(adapter.Send("ATZ98\r"), kOk);
  adapter.Quiet();
  EXPECT_EQ(adapter.Send("AT#H\r"), "\r\n#Z=012345678/910\r\n" + kOk) << "kept across a reset";
  EXPECT_EQ(adapter.Send("AT#HA\r"), "\r\n#ZA=0311110000/333\r\n" + kOk);
  EXPECT_EQ(adapter.Send("AT#HB\r"), "\r\n#ZB=0322220000\r\n" + kOk);
  EXPECT_NE(adapter.Send("AT&H0\r").find("&Z3=0311112222/55"), std::string::npos);

  EXPECT_EQ(adapter.Send("AT&Z3=\r"), kOk);
  EXPECT_NE(adapter.Send("AT&H0\r").find("\r\n&Z3=\r\n"), std::string::npos) << "cleared";
  EXPECT_EQ(adapter.Send("ATDS=3\r"), kError) << "nothing stored to dial";
  EXPECT_EQ(adapter.Send("ATDS15\r"), "");
  EXPECT_EQ(adapter.Wait(EngineOptions{}.dialDelay), kConnect);
  adapter.Wait(1s);
  adapter.Send("+++");
  EXPECT_EQ(adapter.Wait(1s), kOk);
  EXPECT_EQ(adapter.Send("ATH\r"), kOk);
  const std::string lastCall = adapter.Send("AT#C\r");
  EXPECT_NE(lastCall.find("LAST CALL       : 02-4444-5555\r\n"), std::string::npos) << lastCall;
  EXPECT_NE(lastCall.find("CHARGE          : 10 YEN"), std::string::npos) << lastCall;
  EXPECT_NE(adapter.Send("AT\\C0\r").find(": 10 YEN"), std::string::npos);
  EXPECT_EQ(adapter.Send("AT\\C1\r"), kOk);
  EXPECT_NE(adapter.Send("AT\\C0\r").find(": 0 YEN"), std::string::npos);
}

TEST(TasimEngine, DialDataEscapeOnlineHangUp) {
  Adapter adapter;
  adapter.Quiet();
  EXPECT_FALSE(adapter.engine().NextDeadline()) << "idle, nobody calling: nothing to wait for";
  EXPECT_EQ(adapter.Send("ATD99-9999-9999/1234\r\n"), "") << "the LF does not abort the call";
  EXPECT_EQ(adapter.engine().NextDeadline(), adapter.now() + EngineOptions{}.dialDelay);
  EXPECT_EQ(adapter.Wait(EngineOptions{}.dialDelay - 1ms), "");
  EXPECT_EQ(adapter.Wait(1ms), kConnect);
  EXPECT_TRUE(adapter.engine().InDataMode());

  EXPECT_EQ(adapter.Send("ATH\r"), "ATH\r") << "in data mode commands are data";
  adapter.Wait(1s);
  EXPECT_EQ(adapter.Send("+++"), "+++");
  EXPECT_EQ(adapter.engine().NextDeadline(), adapter.now() + 1s);
  EXPECT_EQ(adapter.Wait(999ms), "");
  EXPECT_EQ(adapter.Wait(1ms), kOk);
  EXPECT_FALSE(adapter.engine().InDataMode());
  EXPECT_NE(adapter.Send("AT\\S0\r").find("LINE            : ONLINE"), std::string::npos);
  EXPECT_EQ(adapter.Send("ATD123\r"), kError) << "a call is already up";
  EXPECT_EQ(adapter.Send("ATA\r"), kError);

  EXPECT_EQ(adapter.Send("ATO\r"), kConnect);
  EXPECT_EQ(adapter.Send("data"), "data");
  adapter.Wait(1s);
  EXPECT_EQ(adapter.Send("+++\r\n"), "+++\r\n") << "the line end a terminal appends";
  EXPECT_EQ(adapter.Wait(1s), kOk);
  EXPECT_EQ(adapter.Send("ATH\r"), kOk);
  EXPECT_EQ(adapter.Send("ATO\r"), kNoCarrier);
  EXPECT_NE(adapter.Send("AT\\S0\r").find("LINE            : IDLE"), std::string::npos);
}

TEST(TasimEngine, EscapeNeedsItsGuardTimes) {
  struct Step {
    Millis pause;
    std::string bytes;
  };
  struct Case {
    const char* name;
    std::string setup;
    std::vector<Step> steps;
    bool escapes;
  };
  const Case cases[] = {
      {"spaced within the guard time", "", {{1s, "+"}, {300ms, "+"}, {300ms, "+"}}, true},
      {"too soon after data", "", {{1s, "x"}, {500ms, "+++"}}, false},
      {"pause inside", "", {{1s, "++"}, {1s, "+"}}, false},
      {"slow", "", {{1s, "+"}, {1500ms, "+"}, {1500ms, "+"}}, false},
      {"a fourth one", "", {{1s, "+++"}, {500ms, "+"}}, false},
      {"data after it", "", {{1s, "+++"}, {500ms, "a"}}, false},
      {"other escape character", "ATS2=42\r", {{1s, "+++"}}, false},
      {"with its own character", "ATS2=42\r", {{1s, "***"}}, true},
      {"escape switched off", "ATS2=200\r", {{1s, "+++"}}, false},
      {"shorter guard time", "ATS12=10\r", {{200ms, "+++"}}, true},
  };
  for (const Case& c : cases) {
    Adapter adapter;
    adapter.Quiet();
    adapter.Send(c.setup);
    Connect(adapter);
    for (const Step& step : c.steps) {
      adapter.Wait(step.pause);
      EXPECT_EQ(adapter.Send(step.bytes), step.bytes) << c.name << ": data is echoed";
    }
    const std::string later = adapter.Wait(5s);
    EXPECT_EQ(later, c.escapes ? kOk : "") << c.name;
    EXPECT_EQ(adapter.engine().InDataMode(), !c.escapes) << c.name;
  }
}

TEST(TasimEngine, AKeyDuringDiallingAbortsTheCall) {
  Adapter adapter;
  adapter.Quiet();
  adapter.Send("ATD0312345678\r");
  adapter.Wait(500ms);
  EXPECT_EQ(adapter.Send("x"), kNoCarrier);
  EXPECT_EQ(adapter.Wait(10s), "");
  EXPECT_EQ(adapter.Send("AT\r"), kOk);
  for (const char* bad : {"ATD\r", "ATDABC\r", "ATD12/\r", "ATD-\r", "ATDS=20\r", "ATDS1\r"}) {
    EXPECT_EQ(adapter.Send(bad), kError) << bad;
  }
}

TEST(TasimEngine, ResetEndsACall) {
  Adapter adapter;
  Connect(adapter);
  adapter.Wait(1s);
  adapter.Send("+++");
  adapter.Wait(1s);
  EXPECT_EQ(adapter.Send("ATZ\r"), kOk);
  EXPECT_EQ(adapter.Send("ATO\r"), "ATO\r" + kNoCarrier) << "echo is back on, the call gone";
}

EngineOptions Ringing() {
  EngineOptions options;
  options.ringPeriod = 5s;
  return options;
}

TEST(TasimEngine, RingsAndIsAnsweredWithAta) {
  Adapter adapter(Ringing());
  adapter.Quiet();
  EXPECT_EQ(adapter.Wait(4999ms), "");
  EXPECT_EQ(adapter.Wait(1ms), kRing);
  EXPECT_EQ(adapter.Wait(5s), kRing);
  EXPECT_EQ(adapter.Send("ATS1?\r"), "\r\n002\r\n" + kOk);
  EXPECT_NE(adapter.Send("AT\\S0\r").find("LINE            : RINGING"), std::string::npos);
  EXPECT_EQ(adapter.Send("ATA\r"), kConnect);
  EXPECT_EQ(adapter.Wait(30s), "") << "no rings while the line is busy";
  adapter.Send("+++");
  EXPECT_EQ(adapter.Wait(1s), kOk);
  EXPECT_EQ(adapter.Send("ATH\r"), kOk);
  EXPECT_EQ(adapter.Wait(4999ms), "");
  EXPECT_EQ(adapter.Wait(1ms), kRing) << "the next caller rings a period after hanging up";
  EXPECT_EQ(adapter.Send("ATH\r"), kOk) << "refuses the ringing call";
  EXPECT_EQ(adapter.Send("ATA\r"), kNoCarrier);
  EXPECT_EQ(adapter.Send("ATS1?\r"), "\r\n000\r\n" + kOk);
}

TEST(TasimEngine, AnswersByItselfAfterS0Rings) {
  Adapter adapter(Ringing());
  adapter.Quiet();
  EXPECT_EQ(adapter.Send("ATS0=2\r"), kOk);
  EXPECT_EQ(adapter.Wait(5s), kRing);
  EXPECT_EQ(adapter.Wait(5s), kRing + kConnect);
  EXPECT_TRUE(adapter.engine().InDataMode());
  EXPECT_EQ(adapter.Send("hi"), "hi");
}

TEST(TasimEngine, RingFollowsTheResultSettings) {
  struct Case {
    std::string setup, rings;
  };
  const Case cases[] = {
      {"ATV0S0=1\r", "2\r1\r"},
      {"ATQ1S0=1\r", ""},
      {"ATW2\r", kRing + "\r\n" + std::string(kCallerAddress) + "\r\n"},
  };
  for (const Case& c : cases) {
    Adapter adapter(Ringing());
    adapter.Quiet();
    adapter.Send(c.setup);
    EXPECT_EQ(adapter.Wait(5s), c.rings) << c.setup;
  }
  Adapter adapter(Ringing());
  adapter.Quiet();
  EXPECT_EQ(adapter.Wait(4s), "");
  EXPECT_EQ(adapter.Wait(60s), kRing) << "rings missed while the clock stood still are dropped";
}

TEST(TasimEngine, AtaWithoutACallSaysNoCarrier) {
  Adapter adapter;
  adapter.Quiet();
  EXPECT_EQ(adapter.Send("ATA\r"), kNoCarrier);
  EXPECT_EQ(adapter.Wait(1h), "") << "nobody calls without a ring period";
}

}  // namespace
}  // namespace vexa::tasim
