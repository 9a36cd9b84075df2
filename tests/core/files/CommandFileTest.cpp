// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/files/CommandFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "core/codec/Cp932.h"
#include "core/items/DefaultSet.h"
#include "support/TempDir.h"

namespace vexa {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kNone = "\x82\xC8\x82\xB5";  // なし
const std::string kDefaultLine =
    "Vexa0109,9600,1," + kNone + ",CR+LF,CR+LF,0,0,10,\";\",COM1,0,100,8\n";

// The tree as "level:kind:period:delay:label|" per item, for comparing loads.
std::string Describe(const ItemTree& tree) {
  std::string out;
  ForEachItem(tree, nullptr, [&](ItemHandle item, int level) {
    const CAttr& r = *tree.Record(item);
    out += std::to_string(level) + ":" + std::to_string(r.sendKind) + ":" +
           std::to_string(r.repeatPeriod) + ":" + r.receiveText + "/" +
           std::to_string(r.receiveKind) + "/" + std::to_string(r.answerDelay) + ":" + r.label +
           "|";
  });
  return out;
}

CommandFileLoad Load(const std::string& bytes, CommandTree& tree, CommSettings& settings) {
  TempDir dir;
  const std::string path = dir.File("load.vxp");
  WriteFile(path, bytes);
  return LoadCommandFile(path, tree, settings);
}

TEST(CommandFile, WorkedExampleLoadsAndSavesByteIdentical) {
  const std::string file = Utf8ToCp932(
      "Vexa0109,9600,1,なし,CR+LF,CR+LF,0,0,10,\";\",COM1,0,100,8\n"
      "2,0,操作\n"
      "3,256001,御機嫌伺い;AT\n"
      "0,25601,着信;RING\n"
      "3,1,着信応答;ATA\n");
  CommandTree tree;
  CommSettings settings;
  settings.baudRate = 1;
  const CommandFileLoad load = Load(file, tree, settings);
  ASSERT_EQ(load.readResult, FileRead::kOk);
  EXPECT_EQ(load.items.result, ParseResult::kOk);
  EXPECT_FALSE(load.items.invalidData);
  EXPECT_EQ(settings.formatTag, "Vexa0109");
  EXPECT_EQ(settings.baudRate, 9600);

  const ItemHandle heading = tree.FirstChild(nullptr);
  const ItemHandle hello = tree.FirstChild(heading);
  const ItemHandle answer = tree.NextSibling(hello);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(tree.Record(heading)->sendKind, kKindNone);
  EXPECT_EQ(tree.Record(hello)->sendBytes, "AT\r\n");
  EXPECT_EQ(tree.Record(hello)->repeatPeriod, 1000);
  EXPECT_EQ(tree.Record(answer)->receiveBytes, "RING");
  EXPECT_EQ(tree.Record(answer)->answerDelay, 100);
  EXPECT_EQ(tree.Record(answer)->sendBytes, "ATA\r\n");

  TempDir dir;
  const std::string saved = dir.File("saved.vxp");
  ASSERT_EQ(SaveCommandFile(saved, settings, tree), SaveResult::kOk);
  EXPECT_EQ(ReadFile(saved), file);
}

TEST(CommandFile, SettingsLineFieldChecks) {
  struct Case {
    const char* name;
    std::string line;
    FileRead result;
  };
  const std::string d = kDefaultLine;
  auto replace = [&](const std::string& from, const std::string& to) {
    std::string s = d;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  const Case cases[] = {
      {"default", d, FileRead::kOk},
      {"only 11 fields", "Vexa0109,9600,1," + kNone + ",CR+LF,CR+LF,0,0,10,\";\",COM1\n",
       FileRead::kOk},
      {"port digit 9", replace("COM1", "COM9"), FileRead::kInvalidSettings},
      {"device path port", replace("COM1", "/dev/ttyUSB0"), FileRead::kOk},
      {"network port", replace("COM1", "rfc2217://[fe80::1]:2001"), FileRead::kOk},
      {"network port without a number", replace("COM1", "tcp://rack"), FileRead::kInvalidSettings},
      {"stop bits 1,5", replace(",1,", ",1.0,"), FileRead::kInvalidSettings},
      {"stop bits 1.5", replace(",1,", ",1.5,"), FileRead::kOk},
      {"parity Space", replace(kNone, "Space"), FileRead::kInvalidSettings},
      {"parity mark", replace(kNone, "mark"), FileRead::kOk},
      {"record length 0", replace(",10,", ",0,"), FileRead::kInvalidSettings},
      {"record length 513", replace(",10,", ",513,"), FileRead::kInvalidSettings},
      {"record length 512", replace(",10,", ",512,"), FileRead::kOk},
      {"empty quotes", replace("\";\"", "\"\""), FileRead::kInvalidSettings},
      {"two-byte separator", replace("\";\"", "\";;\""), FileRead::kInvalidSettings},
      {"unquoted separator", replace("\";\"", ";"), FileRead::kInvalidSettings},
      {"comma separator", replace("\";\"", "\",\""), FileRead::kOk},
      {"hex display 2", replace(",0,0,10", ",2,0,10"), FileRead::kInvalidSettings},
      {"hex input 2", replace(",0,0,10", ",0,2,10"), FileRead::kInvalidSettings},
      {"lower-case cr", replace("CR+LF,CR+LF", "cr,CR+LF"), FileRead::kInvalidSettings},
      {"escape terminator", replace("CR+LF,CR+LF", "\\x03,\\r\\n"), FileRead::kOk},
      {"three-byte terminator", replace("CR+LF,CR+LF", "CR+LF,\\x02\\x03\\x04"),
       FileRead::kInvalidSettings},
      {"ten-character terminator", replace("CR+LF,CR+LF", "CR+LF,\\x00000003"),
       FileRead::kInvalidSettings},
      {"16-character tag", replace("Vexa0109", "Vexa0109Vexa0109"), FileRead::kInvalidSettings},
      {"15-character tag", replace("Vexa0109", "Vexa0109Vexa010"), FileRead::kOk},
      {"runs of commas are one split", replace(",9600,", ",,,9600,,"), FileRead::kOk},
      {"missing port", "Vexa0109,9600,1," + kNone + ",CR+LF,CR+LF,0,0,10,\";\"\n",
       FileRead::kInvalidSettings},
      {"empty line 1", "\n2,0,a\n", FileRead::kInvalidSettings},
      {"no line end", replace("\n", ""), FileRead::kUnreadable},
      {"empty file", "", FileRead::kUnreadable},
      {"line 1 of 1023 bytes", std::string(1023, 'V') + "\n", FileRead::kUnreadable},
      {"line 1 of 1022 bytes", std::string(1022, 'V') + "\n", FileRead::kInvalidSettings},
  };
  for (const Case& c : cases) {
    CommandTree tree;
    CommSettings settings;
    EXPECT_EQ(Load(c.line, tree, settings).readResult, c.result) << c.name;
    if (c.result == FileRead::kOk && std::string_view(c.name).ends_with(" port")) {
      EXPECT_EQ(WriteSettingsLine(settings), c.line) << c.name << ": written back unchanged";
    }
  }
}

TEST(CommandFile, MissingTrailingFieldsTakeDefaultsAndLineOneAloneClearsTheTree) {
  CommandTree tree;
  tree.AppendItem(nullptr, std::make_unique<CAttr>());
  CommSettings settings;
  settings.useEscapes = 1;
  settings.receiveTimeout = 7;
  settings.dataBits = 5;
  const auto load = Load("Vexa0109,19200,2,odd,CR,LF,1,1,10,\"/\",COM3\n", tree, settings);
  ASSERT_EQ(load.readResult, FileRead::kOk);
  EXPECT_TRUE(tree.IsEmpty());
  EXPECT_EQ(settings.useEscapes, 0);
  EXPECT_EQ(settings.receiveTimeout, 100);
  EXPECT_EQ(settings.dataBits, 8);
  EXPECT_EQ(settings.baudRate, 19200);
  EXPECT_EQ(settings.stopBits, 2);
  EXPECT_EQ(settings.parity, 1);
  EXPECT_EQ(settings.sendTerminator, "\r");
  EXPECT_EQ(settings.receiveTerminator, "\n");
  EXPECT_EQ(settings.separator, "/");
  EXPECT_EQ(settings.portName, "COM3");
}

TEST(CommandFile, FailedReadLeavesTreeAndSettingsAlone) {
  CommandTree tree;
  tree.AppendItem(nullptr, std::make_unique<CAttr>());
  CommSettings settings;
  settings.baudRate = 1234;
  TempDir dir;
  const CommandFileLoad missing = LoadCommandFile(dir.File("missing.vxp"), tree, settings);
  EXPECT_EQ(missing.readResult, FileRead::kCannotOpen);
  EXPECT_STREQ(LoadFailureMessage(missing), "ﾌｧｲﾙがｵｰﾌﾟﾝできません。");
  EXPECT_EQ(LoadCommandFile("", tree, settings).readResult, FileRead::kCannotOpen);
  EXPECT_EQ(LoadCommandFile(dir.path().string(), tree, settings).readResult, FileRead::kCannotOpen)
      << "a folder is not a command file";
  const CommandFileLoad invalid = Load("nonsense\n", tree, settings);
  EXPECT_EQ(invalid.readResult, FileRead::kInvalidSettings);
  EXPECT_STREQ(LoadFailureMessage(invalid), "ﾌｧｲﾙの内容が不正です。");
  // Blank lines carry nothing: one more byte than the largest file that opens.
  std::string largest = kDefaultLine;
  largest.resize(kMaxCommandFileSize + 1, '\n');
  const CommandFileLoad tooLarge = Load(largest, tree, settings);
  EXPECT_EQ(tooLarge.readResult, FileRead::kTooLarge);
  EXPECT_STREQ(LoadFailureMessage(tooLarge), "ﾌｧｲﾙが大きすぎます。開けるのは 16 MB までです。");
  EXPECT_FALSE(tree.IsEmpty());
  EXPECT_EQ(settings.baudRate, 1234);
  largest.pop_back();
  EXPECT_EQ(Load(largest, tree, settings).readResult, FileRead::kOk);
}

TEST(CommandFile, ItemLineForms) {
  struct Case {
    const char* name;
    std::string body;  // item lines after the settings line
    std::string tree;  // Describe() of the loaded tree
    ParseResult result;
  };
  const Case cases[] = {
      {"packed kind and period", "2,256001,a;AT\n", "2:1:1000:/0/1:a;AT|", ParseResult::kOk},
      {"heading", "2,0,head\n", "2:0:0:/0/1:head|", ParseResult::kOk},
      {"label with commas", "2,1,a,b;AT,1,2\n", "2:1:0:/0/1:a,b;AT,1,2|", ParseResult::kOk},
      {"CR line ends", "2,1,a;A\r3,1,b;B\r", "2:1:0:/0/1:a;A|3:1:0:/0/1:b;B|", ParseResult::kOk},
      {"CR LF line ends", "2,1,a;A\r\n2,1,b;B\r\n", "2:1:0:/0/1:a;A|2:1:0:/0/1:b;B|",
       ParseResult::kOk},
      {"last line without line end", "2,1,a;A\n2,1,b;B", "2:1:0:/0/1:a;A|2:1:0:/0/1:b;B|",
       ParseResult::kOk},
      {"blank lines carry nothing", "2,1,a;A\n\n\r\n2,1,b;B\n\n", "2:1:0:/0/1:a;A|2:1:0:/0/1:b;B|",
       ParseResult::kOk},
      {"empty label", "2,0,\n", "2:0:0:/0/1:|", ParseResult::kOk},
      {"answer line", "0,25601,ring;RING\n2,1,a;ATA\n", "2:1:0:RING/1/100:a;ATA|",
       ParseResult::kOk},
      {"largest period wraps to a negative packed number", "2,-65535,a;AT\n",
       "2:1:16776960:/0/1:a;AT|", ParseResult::kOk},
      {"line starting with a comma", "2,1,a;A\n,1,b\n3,1,c;C\n", "2:1:0:/0/1:a;A|",
       ParseResult::kInvalid},
      {"missing packed number", "2,1,a;A\n2,,b\n", "2:1:0:/0/1:a;A|", ParseResult::kInvalid},
      {"no comma at all", "2\n", "", ParseResult::kInvalid},
      {"text missing at the end", "2,1,a;A\n2,1,", "2:1:0:/0/1:a;A|", ParseResult::kInvalid},
      {"negative level", "-1,1,a;A\n", "", ParseResult::kInvalid},
      {"answer line at the end", "2,1,a;A\n0,25601,ring;RING\n", "2:1:0:/0/1:a;A|",
       ParseResult::kInvalid},
      {"relative levels", "1,1,a;A\n3,1,b;B\n4,1,c;C\n2,1,d;D\n",
       "2:1:0:/0/1:a;A|3:1:0:/0/1:b;B|4:1:0:/0/1:c;C|3:1:0:/0/1:d;D|", ParseResult::kOk},
      {"back to top level", "3,0,x\n5,0,y\n2,0,z\n", "2:0:0:/0/1:x|3:0:0:/0/1:y|2:0:0:/0/1:z|",
       ParseResult::kOk},
      {"levels above 9 nest as deep as they say", "2,0,a\n12,0,b\n15,0,c\n13,0,d\n",
       "2:0:0:/0/1:a|3:0:0:/0/1:b|4:0:0:/0/1:c|4:0:0:/0/1:d|", ParseResult::kOk},
  };
  for (const Case& c : cases) {
    CommandTree tree;
    CommSettings settings;
    const CommandFileLoad load = Load(kDefaultLine + c.body, tree, settings);
    ASSERT_EQ(load.readResult, FileRead::kOk) << c.name;
    EXPECT_EQ(load.items.result, c.result) << c.name;
    EXPECT_EQ(Describe(tree), c.tree) << c.name;
    EXPECT_EQ(LoadFailureMessage(load) != nullptr, c.result != ParseResult::kOk) << c.name;
  }
}

TEST(CommandFile, ADeepChainRoundTripsWithItsDepth) {
  std::string body;
  for (int level = 2; level <= 14; ++level) body += std::to_string(level) + ",0,x\n";
  body += "11,0,y\n12,0,z\n";
  CommandTree tree;
  CommSettings settings;
  ASSERT_EQ(Load(kDefaultLine + body, tree, settings).items.result, ParseResult::kOk);
  EXPECT_EQ(WriteItemLines(tree, settings), body);

  std::string deepest;
  for (std::size_t depth = 1; depth <= kMaxItemDepth; ++depth) {
    deepest += std::to_string(depth + 1) + ",0,x\n";
  }
  const std::string tooDeep = std::to_string(kMaxItemDepth + 2) + ",0,x\n";
  EXPECT_EQ(Load(kDefaultLine + deepest + tooDeep, tree, settings).items.result,
            ParseResult::kInvalid);
  EXPECT_EQ(WriteItemLines(tree, settings), deepest) << "a file cannot nest items without end";
}

TEST(CommandFile, OlderFormHasNoPackedNumber) {
  const std::string older =
      "Vexa,9600,1," + kNone + ",CR+LF,CR+LF,0,%d,10,\";\",COM1\n2,head\n3,a;41\n";
  for (int hexInput : {0, 1}) {
    std::string file = older;
    file.replace(file.find("%d"), 2, std::to_string(hexInput));
    CommandTree tree;
    CommSettings settings;
    const CommandFileLoad load = Load(file, tree, settings);
    ASSERT_EQ(load.readResult, FileRead::kOk);
    ASSERT_EQ(load.items.result, ParseResult::kOk);
    EXPECT_EQ(Describe(tree),
              hexInput ? "2:0:0:/0/1:head|3:2:0:/0/1:a;41|" : "2:0:0:/0/1:head|3:1:0:/0/1:a;41|");
    EXPECT_EQ(tree.Record(tree.FirstChild(tree.FirstChild(nullptr)))->sendBytes,
              hexInput ? "A\r\n" : "41\r\n");
    // Saved in the current form.
    TempDir dir;
    ASSERT_EQ(SaveCommandFile(dir.File("x.vxp"), settings, tree), SaveResult::kOk);
    const std::string saved = ReadFile(dir.File("x.vxp"));
    EXPECT_EQ(saved.substr(0, 9), "Vexa0109,");
    EXPECT_NE(saved.find("\n2,0,head\n3," + std::to_string(hexInput ? 2 : 1) + ",a;41\n"),
              std::string::npos);
  }
  EXPECT_TRUE(IsOlderFormat("Vexa"));
  EXPECT_TRUE(IsOlderFormat("Vexa0108"));
  EXPECT_TRUE(IsOlderFormat(""));
  EXPECT_FALSE(IsOlderFormat("Vexa0109"));
  EXPECT_FALSE(IsOlderFormat("Vexa0109x"));
  EXPECT_FALSE(IsOlderFormat("Vexa0110"));
  EXPECT_FALSE(IsOlderFormat("W"));
}

TEST(CommandFile, RoundTripsCommaSeparatorAndAnswers) {
  CommandTree tree;
  CommSettings settings;
  const std::string body = "2,257,a,AT,x\n0,51202,ring,52494E47\n3,2,b,4154\n";
  std::string line = kDefaultLine;
  line.replace(line.find("\";\""), 3, "\",\"");
  ASSERT_EQ(Load(line + body, tree, settings).readResult, FileRead::kOk);
  EXPECT_EQ(settings.separator, ",");
  const ItemHandle a = tree.FirstChild(nullptr);
  EXPECT_EQ(tree.Record(a)->sendText, "AT,x");
  EXPECT_EQ(tree.Record(a)->sendDescription, "a");
  EXPECT_EQ(tree.Record(tree.FirstChild(a))->receiveBytes, "RING");
  TempDir dir;
  ASSERT_EQ(SaveCommandFile(dir.File("c.vxp"), settings, tree), SaveResult::kOk);
  EXPECT_EQ(ReadFile(dir.File("c.vxp")), line + body);
}

TEST(CommandFile, UnderivableDataIsDroppedAndItsAnswerLineLost) {
  CommandTree tree;
  CommSettings settings;
  const std::string body = "0,25602,ring;XYZ\n2,2,a;0G\n2,1,b;AT\n";
  const CommandFileLoad load = Load(kDefaultLine + body, tree, settings);
  ASSERT_EQ(load.readResult, FileRead::kOk);
  EXPECT_EQ(load.items.result, ParseResult::kOk);
  EXPECT_TRUE(load.items.invalidData);
  const CAttr& a = *tree.Record(tree.FirstChild(nullptr));
  EXPECT_EQ(a.sendKind, kKindNone) << "HEX data that is not HEX";
  EXPECT_EQ(a.receiveLength(), 0) << "receive data XYZ is not HEX";
  TempDir dir;
  ASSERT_EQ(SaveCommandFile(dir.File("d.vxp"), settings, tree), SaveResult::kOk);
  EXPECT_EQ(ReadFile(dir.File("d.vxp")), kDefaultLine + "2,0,a;0G\n2,1,b;AT\n");
}

TEST(CommandFile, UnparsableLineKeepsAndDerivesEarlierItems) {
  CommandTree tree;
  CommSettings settings;
  const CommandFileLoad load = Load(kDefaultLine + "2,1,a;AT\n2,x\n2,1,b;AT\n", tree, settings);
  EXPECT_EQ(load.items.result, ParseResult::kInvalid);
  ASSERT_FALSE(tree.IsEmpty());
  EXPECT_EQ(tree.Record(tree.FirstChild(nullptr))->sendBytes, "AT\r\n");
  EXPECT_EQ(tree.NextSibling(tree.FirstChild(nullptr)), nullptr);
  EXPECT_STREQ(LoadFailureMessage(load), "ﾌｧｲﾙの内容が不正です。");
}

TEST(CommandFile, DefaultSetLoadsAndSavesInTheCurrentForm) {
  CommandTree tree;
  const LoadOutcome outcome =
      LoadItemsFromText(tree, DefaultCommandSetText(), kDefaultCommSettings);
  EXPECT_EQ(outcome.result, ParseResult::kOk);
  EXPECT_FALSE(outcome.invalidData);
  int topLevel = 0, all = 0, withData = 0;
  ForEachItem(tree, nullptr, [&](ItemHandle item, int level) {
    ++all;
    topLevel += level == 2;
    const CAttr& r = *tree.Record(item);
    withData += r.sendKind == kKindText;
    EXPECT_EQ(r.sendKind, r.sendText.empty() ? kKindNone : kKindText) << r.label;
  });
  EXPECT_EQ(all, 202);
  EXPECT_EQ(topLevel, 8);
  EXPECT_EQ(withData, 152);
  const CAttr& first = *tree.Record(tree.FirstChild(nullptr));
  EXPECT_EQ(first.label, Utf8ToCp932("御機嫌伺い;AT"));
  EXPECT_EQ(first.sendBytes, "AT\r\n");

  TempDir dir;
  ASSERT_EQ(SaveCommandFile(dir.File("default.vxp"), kDefaultCommSettings, tree), SaveResult::kOk);
  const std::string saved = ReadFile(dir.File("default.vxp"));
  EXPECT_EQ(saved.substr(0, kDefaultLine.size()), "Vexa0109" + kDefaultLine.substr(8));
  CommandTree again;
  CommSettings settings;
  ASSERT_EQ(LoadCommandFile(dir.File("default.vxp"), again, settings).readResult, FileRead::kOk);
  EXPECT_EQ(Describe(again), Describe(tree));
}

TEST(SaveCommandFile, FailuresLeaveThePreviousFileIntact) {
  TempDir dir;
  CommandTree tree;
  auto record = std::make_unique<CAttr>();
  record->label = std::string(4096, 'x');
  tree.AppendItem(nullptr, std::move(record));
  const std::string path = dir.File("keep.vxp");
  WriteFile(path, "previous");

  // No room for the new content: the write fails half way.
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(static_cast<int>(SaveCommandFile(path, kDefaultCommSettings, tree)));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(static_cast<SaveResult>(WEXITSTATUS(status)), SaveResult::kWriteFailed);
  EXPECT_STREQ(SaveFailureMessage(SaveResult::kWriteFailed), "書き込みに失敗しました。");
  EXPECT_EQ(ReadFile(path), "previous");

  // A read-only file is not replaced.
  ::chmod(path.c_str(), 0444);
  if (::access(path.c_str(), W_OK) != 0) {  // root may write anyway
    EXPECT_EQ(SaveCommandFile(path, kDefaultCommSettings, tree), SaveResult::kCannotCreate);
    EXPECT_EQ(ReadFile(path), "previous");
  }
  ::chmod(path.c_str(), 0644);
  EXPECT_EQ(SaveCommandFile(dir.File("no/such/folder.vxp"), kDefaultCommSettings, tree),
            SaveResult::kCannotCreate);
  EXPECT_STREQ(SaveFailureMessage(SaveResult::kCannotCreate), "保存できません。");

  // Nothing but the file itself is left in the folder.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(SaveCommandFile, KeepsModeAndSavesThroughALink) {
  TempDir dir;
  CommandTree tree;
  const std::string real = dir.File("real.vxp");
  const std::string link = dir.File("link.vxp");
  WriteFile(real, "old");
  ::chmod(real.c_str(), 0640);
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  ASSERT_EQ(SaveCommandFile(link, kDefaultCommSettings, tree), SaveResult::kOk);
  EXPECT_EQ(ReadFile(real), kDefaultLine);
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace vexa
