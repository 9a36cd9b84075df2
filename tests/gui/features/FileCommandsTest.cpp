// SPDX-License-Identifier: GPL-3.0-or-later
// The file commands through the real main window: opening, saving, the modified mark, the
// save question, the recent files and the start-up file.

#include "gui/features/FileCommands.h"

#include <sys/stat.h>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "gui/controls/CmdTree.h"
#include "support/MainWindowFixture.h"
#include "support/TempDir.h"

namespace vexa {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kExample = Utf8ToCp932(
    "Vexa0109,9600,1,なし,CR+LF,CR+LF,0,0,10,\";\",COM1,0,100,8\n"
    "2,0,操作\n"
    "3,256001,御機嫌伺い;AT\n"
    "0,25601,着信;RING\n"
    "3,1,着信応答;ATA\n");

class FileCommandsTest : public test::MainWindowFixture {
 protected:
  Preferences Prefs() const { return Preferences(PreferenceStore(config_.PreferenceFile())); }
  std::string Path(const std::string& name) const { return dir_.File(name); }
  // A command file with one item labelled `label`.
  std::string MakeFile(const std::string& name, const std::string& label = "item;AT") {
    WriteFile(Path(name),
              "Vexa0109,19200,1,odd,CR,CR,0,0,10,\";\",COM2,0,100,8\n2,1," + label + "\n");
    return Path(name);
  }
  // Restarts the window as the program starts: history read, then OnInitDialog.
  void Restart(const QString& commandLine = {}) {
    App().DestroyMainDialog();
    App().CreateMainDialog(commandLine);
    Start();
  }
  void Open(const std::string& path) {
    ui_.fileAnswers.push_back(QString::fromStdString(path));
    Dialog().ExecuteCommand(kCmdOpenFile);
  }
  void Change() { Work().MarkModified(); }
  QString Title() { return Dialog().windowTitle(); }
  QStringList RecentItems() {
    QStringList items;
    const QList<QAction*> actions = Dialog().MenuBar()->actions().at(0)->menu()->actions();
    for (const QAction* action : actions.mid(4))
      items << (action->isSeparator() ? "-" : action->text());
    return items;  // the recent files, their separator, and the exit item
  }
  std::vector<std::string> History() { return Prefs().ReadHistory(); }
  int TopLevelItems() { return Dialog().Tree().topLevelItemCount(); }

  test::TempDir dir_;
};

TEST_F(FileCommandsTest, AFreshStartHasNoFileAndNoRecentFiles) {
  Start();
  EXPECT_EQ(Title(), "Vexa");
  EXPECT_EQ(TopLevelItems(), 0);
  EXPECT_EQ(RecentItems(), QStringList{"ﾌﾟﾛｸﾞﾗﾑを終了する(&X)"});
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(FileCommandsTest, OpenAndSaveAsSetTheTitleTheHistoryAndTheFile) {
  WriteFile(Path("a.vxp"), kExample);
  Start();
  Open(Path("a.vxp"));
  ASSERT_EQ(ui_.fileRequests.size(), 1u);
  const ui::FileRequest& open = ui_.fileRequests[0];
  EXPECT_EQ(open.mode, ui::FileRequest::Mode::kOpen);
  EXPECT_EQ(open.filter, "TA情報ファイル (*.vxp)");
  EXPECT_EQ(open.initialName, "*.vxp");
  EXPECT_EQ(open.folder, "") << "the dialog's own starting folder";
  EXPECT_EQ(open.defaultExtension, "vxp");
  EXPECT_EQ(TopLevelItems(), 1);
  EXPECT_EQ(Work().Settings().formatTag, "Vexa0109");
  EXPECT_EQ(Title(), "Vexa a");
  EXPECT_EQ(RecentItems(), (QStringList{"a(&0)", "-", "ﾌﾟﾛｸﾞﾗﾑを終了する(&X)"}));
  EXPECT_EQ(History(), (std::vector<std::string>{Path("a.vxp"), "", "", "", ""}));

  Dialog().ExecuteCommand(kCmdDeleteAll);
  EXPECT_EQ(Title(), "Vexa a(更新)");
  Dialog().SetConnectionSuffix(" COM1:9600bps");
  EXPECT_EQ(Title(), "Vexa a(更新) COM1:9600bps");
  Dialog().ExecuteCommand(kCmdDefaultSet);
  EXPECT_EQ(Title(), "Vexa a(更新) COM1:9600bps") << "the mark is added once";

  ui_.fileAnswers.push_back(QString::fromStdString(Path("abc.vxp")));
  Dialog().ExecuteCommand(kCmdSaveAs);
  const ui::FileRequest& save = ui_.fileRequests[1];
  EXPECT_EQ(save.mode, ui::FileRequest::Mode::kSave);
  EXPECT_EQ(save.initialName, "a.vxp") << "the current name is offered";
  EXPECT_EQ(save.folder, QString::fromStdString(dir_.path().string())) << "in the current folder";
  EXPECT_EQ(Title(), "Vexa abc COM1:9600bps");
  EXPECT_EQ(RecentItems(), (QStringList{"abc(&0)", "a(&1)", "-", "ﾌﾟﾛｸﾞﾗﾑを終了する(&X)"}));
  EXPECT_EQ(ReadFile(Path("a.vxp")), kExample) << "the opened file is untouched";
  const std::string saved = ReadFile(Path("abc.vxp"));
  EXPECT_EQ(saved.substr(0, saved.find('\n')),
            "Vexa0109,9600,1,\x82\xC8\x82\xB5,CR+LF,CR+LF,0,0,10,\";\",COM1,0,100,8");
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 203) << "the default set, 202 items";

  Dialog().ExecuteCommand(kCmdDeleteAll);
  Dialog().ExecuteCommand(kCmdSave);
  EXPECT_EQ(Title(), "Vexa abc COM1:9600bps");
  EXPECT_EQ(ReadFile(Path("abc.vxp")), saved.substr(0, saved.find('\n') + 1))
      << "上書き保存 into the same file";
  EXPECT_EQ(ui_.fileRequests.size(), 2u) << "without a dialog";
}

TEST_F(FileCommandsTest, RecentFilesKeepTheNewestFiveWithoutDuplicates) {
  Start();
  for (const char* name : {"1.vxp", "2.vxp", "3.vxp", "4.vxp", "5.vxp", "6.vxp"})
    Open(MakeFile(name));
  EXPECT_EQ(RecentItems(), (QStringList{"6(&0)", "5(&1)", "4(&2)", "3(&3)", "2(&4)", "-",
                                        "ﾌﾟﾛｸﾞﾗﾑを終了する(&X)"}));
  Open(Path("4.vxp"));
  EXPECT_EQ(RecentItems().mid(0, 5), (QStringList{"4(&0)", "6(&1)", "5(&2)", "3(&3)", "2(&4)"}));
  // Two names that differ only in case are two files.
  MakeFile("x.vxp");
  Open(MakeFile("X.VXP"));
  Open(Path("x.vxp"));
  EXPECT_EQ(RecentItems().mid(0, 5), (QStringList{"x(&0)", "X(&1)", "4(&2)", "6(&3)", "5(&4)"}));
  EXPECT_EQ(History()[0], Path("x.vxp"));

  Restart();
  EXPECT_EQ(Title(), "Vexa x") << "the newest entry is reopened at the next start";
  EXPECT_EQ(TopLevelItems(), 1);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(FileCommandsTest, ARecentFileThatWasDeletedIsReportedAndLeavesTheList) {
  Start();
  Open(MakeFile("a.vxp"));
  Open(MakeFile("b.vxp", "b;ATZ"));
  std::filesystem::remove(Path("a.vxp"));
  Dialog().ExecuteCommand(kCmdRecentFile0 + 1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "ﾌｧｲﾙがｵｰﾌﾟﾝできません。");
  EXPECT_EQ(ui_.messages[0].caption, "Vexa");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kStop);
  EXPECT_EQ(RecentItems(), (QStringList{"b(&0)", "-", "ﾌﾟﾛｸﾞﾗﾑを終了する(&X)"}));
  EXPECT_EQ(History(), (std::vector<std::string>{Path("b.vxp"), "", "", "", ""}));
  EXPECT_EQ(Title(), "Vexa b");
  EXPECT_EQ(Cp932ToUtf8(Dialog().Tree().Record(Dialog().Tree().FirstChild(nullptr))->label),
            "b;ATZ");

  Dialog().ExecuteCommand(kCmdRecentFile0);
  EXPECT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(Title(), "Vexa b");
}

TEST_F(FileCommandsTest, AQuotedCommandLinePathIsOpenedAndListedFirst) {
  Prefs().WriteHistoryEntry(0, MakeFile("older.vxp"));
  Restart(QString::fromStdString("\"" + MakeFile("q file.vxp", "q;ATI") + "\""));
  EXPECT_EQ(Title(), "Vexa q file");
  EXPECT_EQ(Cp932ToUtf8(Dialog().Tree().Record(Dialog().Tree().FirstChild(nullptr))->label),
            "q;ATI");
  EXPECT_EQ(Work().Settings().baudRate, 19200);
  EXPECT_EQ(RecentItems().mid(0, 2), (QStringList{"q file(&0)", "older(&1)"}));

  Restart("/elsewhere/notes.Vxp");  // not a command file's name: ignored
  EXPECT_EQ(Title(), "Vexa q file");

  // A path relative to where the program started is kept as the whole path.
  const std::filesystem::path started = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  MakeFile("rel.vxp");
  Restart("rel.vxp");
  std::filesystem::current_path(started);
  EXPECT_EQ(History()[0], Path("rel.vxp"));
  Restart();
  EXPECT_EQ(Title(), "Vexa rel") << "reopened from another folder";
}

TEST_F(FileCommandsTest, AStartUpFileThatDoesNotLoadIsDroppedSilently) {
  Prefs().WriteHistoryEntry(0, Path("gone.vxp"));
  Prefs().WriteHistoryEntry(1, MakeFile("kept.vxp"));
  Restart();
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(Title(), "Vexa");
  EXPECT_EQ(TopLevelItems(), 0);
  EXPECT_EQ(RecentItems().mid(0, 2), (QStringList{"kept(&0)", "-"}));
  EXPECT_EQ(Work().FilePath(), "") << "no current file";
}

TEST_F(FileCommandsTest, TheSaveQuestionGuardsUnsavedWork) {
  Start();
  Change();
  ui_.messageAnswers = {ui::Answer::kCancel};
  Dialog().close();
  EXPECT_TRUE(Dialog().isVisible());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "新規ﾌｧｲﾙは変更されています。保存しますか？");
  EXPECT_EQ(ui_.messages[0].caption, "Vexa");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kWarning);
  EXPECT_EQ(ui_.messages[0].buttons, ui::Buttons::kYesNoCancel);

  ui_.messageAnswers = {ui::Answer::kCancel};
  Dialog().ExecuteCommand(kCmdOpenFile);
  EXPECT_EQ(ui_.messages.size(), 2u);
  EXPECT_TRUE(ui_.fileRequests.empty()) << "a cancelled question stops 開く too";

  ui_.messageAnswers = {ui::Answer::kNo};
  Open(MakeFile("a.vxp"));
  EXPECT_EQ(TopLevelItems(), 1) << "No drops the changes";
  Dialog().ExecuteCommand(kCmdDeleteAll);
  ui_.messageAnswers = {ui::Answer::kYes};
  Dialog().ExecuteCommand(kCmdNewFile);
  EXPECT_EQ(ui_.messages.back().text, "a は変更されています。保存しますか？");
  EXPECT_EQ(ReadFile(Path("a.vxp")).find("item;AT"), std::string::npos)
      << "Yes saved the emptied tree";
  EXPECT_EQ(Title(), "Vexa");
  EXPECT_EQ(Work().Settings(), kDefaultCommSettings);
  EXPECT_FALSE(Dialog().IsCommandEnabled(kCmdDelete));
}

TEST_F(FileCommandsTest, SavingANewFileAsksForItsNameAndAFailedSaveKeepsTheMark) {
  Start();
  Dialog().ExecuteCommand(kCmdDefaultSet);
  Dialog().ExecuteCommand(kCmdSave);
  ASSERT_EQ(ui_.fileRequests.size(), 1u);
  EXPECT_EQ(ui_.fileRequests[0].mode, ui::FileRequest::Mode::kSave);
  EXPECT_EQ(ui_.fileRequests[0].initialName, "*.vxp");
  EXPECT_EQ(Title(), "Vexa(更新)") << "cancelled";

  ui_.fileAnswers.push_back(QString::fromStdString(Path("notes.txt")));
  Dialog().ExecuteCommand(kCmdSaveAs);
  EXPECT_FALSE(std::filesystem::exists(Path("notes.txt"))) << "another extension: nothing happens";
  EXPECT_TRUE(ui_.messages.empty());

  ui_.fileAnswers.push_back(QString::fromStdString(Path("missing/folder/x.vxp")));
  Dialog().ExecuteCommand(kCmdSaveAs);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "保存できません。");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kStop);
  EXPECT_EQ(Title(), "Vexa(更新)");
  EXPECT_TRUE(Work().IsModified());
  EXPECT_TRUE(History().empty() || History()[0].empty());
}

TEST_F(FileCommandsTest, AnInvalidFileLeavesTreeSettingsTitleAndHistoryAlone) {
  Start();
  Open(MakeFile("good.vxp"));
  WriteFile(Path("bad.vxp"), "Vexa0109,9600,3,CR,CR,0,0,10,\";\",COM1\n2,1,x;AT\n");
  Open(Path("bad.vxp"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "ﾌｧｲﾙの内容が不正です。");
  EXPECT_EQ(Title(), "Vexa good");
  EXPECT_EQ(Work().Settings().baudRate, 19200);
  EXPECT_EQ(TopLevelItems(), 1);
  EXPECT_EQ(RecentItems().mid(0, 2), (QStringList{"good(&0)", "-"}));
}

// Nobody writes to the FIFO: opening it to read would wait for good.
TEST_F(FileCommandsTest, AFifoIsAFileThatCannotBeOpened) {
  ASSERT_EQ(::mkfifo(Path("pipe.vxp").c_str(), 0600), 0);
  Start();
  Open(MakeFile("good.vxp"));
  Open(Path("pipe.vxp"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "ﾌｧｲﾙがｵｰﾌﾟﾝできません。");
  EXPECT_EQ(Title(), "Vexa good");
  EXPECT_EQ(RecentItems().mid(0, 2), (QStringList{"good(&0)", "-"}));
}

// The unread rest of such a file must not go silently: the tree counts as changed, and the
// first save keeps the file as it was beside it.
TEST_F(FileCommandsTest, ALineThatCannotBeParsedKeepsTheItemsBeforeItAndTheFileBesideIt) {
  Start();
  const std::string original =
      "Vexa0109,9600,1,odd,CR,CR,0,0,10,\";\",COM1\n2,1,a;AT\n2,,broken\n2,1,b;ATZ\n";
  WriteFile(Path("cut.vxp"), original);
  WriteFile(Path("cut.vxp~"), "an older copy");
  Open(Path("cut.vxp"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "ﾌｧｲﾙの内容が不正です。");
  ASSERT_EQ(TopLevelItems(), 1);
  EXPECT_EQ(Dialog().Tree().Record(Dialog().Tree().FirstChild(nullptr))->sendBytes, "AT\r")
      << "derived";
  EXPECT_EQ(Title(), "Vexa cut(更新)");

  Dialog().ExecuteCommand(kCmdSave);
  EXPECT_EQ(Title(), "Vexa cut");
  EXPECT_EQ(ReadFile(Path("cut.vxp~")), original) << "the older copy is replaced";
  EXPECT_EQ(ReadFile(Path("cut.vxp")),
            "Vexa0109,9600,1,odd,CR,CR,0,0,10,\";\",COM1,0,100,8\n2,1,a;AT\n");
  Change();
  Dialog().ExecuteCommand(kCmdSave);
  EXPECT_EQ(ReadFile(Path("cut.vxp~")), original) << "only the first save keeps a copy";

  // The same when the file is loaded silently at start-up.
  WriteFile(Path("cut.vxp"), original);
  Restart(QString::fromStdString(Path("cut.vxp")));
  EXPECT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(Title(), "Vexa cut(更新)");
}

}  // namespace
}  // namespace vexa
