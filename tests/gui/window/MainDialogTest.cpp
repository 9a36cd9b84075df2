// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <fstream>
#include <limits>

#include "core/CommandIds.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdTree.h"
#include "gui/controls/ComboBoxSum.h"
#include "gui/seam/DialogUnits.h"
#include "gui/seam/QtRecords.h"
#include "gui/window/AboutDlg.h"
#include "gui/window/DummyDlg.h"
#include "gui/window/MainWindowSteps.h"
#include "support/MainWindowFixture.h"

namespace vexa {
namespace {

using test::MainWindowFixture;

class MainDialog : public MainWindowFixture {
 protected:
  PreferenceStore Store() const { return PreferenceStore(config_.PreferenceFile()); }
  Preferences Prefs() const { return Preferences(Store()); }
};

// Records each step the window leaves to the application, in order.
class RecordingSteps : public MainWindowSteps {
 public:
  std::vector<std::string> calls;
  std::function<bool()> confirmSave = [] { return true; };
  std::function<void()> onDisconnect;

  void TakeCommandLineFile(const QString& line) override {
    calls.push_back("takeCommandLineFile:" + line.toStdString());
  }
  void RebuildFileHistory() override { calls.push_back("rebuildFileHistory"); }
  void RebuildHistoryMenu() override { calls.push_back("rebuildHistoryMenu"); }
  void ReadLogName() override { calls.push_back("readLogName"); }
  void Disconnect() override {
    calls.push_back("disconnect");
    if (onDisconnect) onDisconnect();
  }
  void LoadStartupFile() override { calls.push_back("loadStartupFile"); }
  void UpdateTitle() override { calls.push_back("updateTitle"); }
  void CreateItemEditor() override { calls.push_back("createItemEditor"); }
  bool ConfirmSave() override {
    calls.push_back("confirmSave");
    return confirmSave();
  }
  void StopLogging() override { calls.push_back("stopLogging"); }
};

// The window alone, without the features the application builds around it.
class BareMainDialog : public ::testing::Test {
 protected:
  void Start() {
    window_.OnInitDialog();
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
  Preferences Prefs() const { return Preferences(PreferenceStore(config_.PreferenceFile())); }

  test::ConfigHome config_;
  test::ScriptedUi ui_;
  Preferences preferences_ = Preferences::ForCurrentUser();
  RecordingSteps steps_;
  CTest3Dlg window_{preferences_, steps_};
};

TEST_F(BareMainDialog, StartUpRunsItsStepsInOrder) {
  window_.SetCommandLine("\"/tmp/a b.vxp\"");
  window_.SetCommandHandler(kCmdCommandList, [this] { steps_.calls.push_back("commandList"); });
  Prefs().WriteFlag(2);  // the command list was open
  Start();
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{
                              "rebuildHistoryMenu",  // MenuSetup
                              "commandList", "takeCommandLineFile:\"/tmp/a b.vxp\"",
                              "rebuildFileHistory", "rebuildHistoryMenu", "readLogName",
                              "disconnect", "loadStartupFile", "updateTitle", "createItemEditor"}));
  EXPECT_EQ(window_.BaseTitle(), "Vexa");
  EXPECT_EQ(window_.windowTitle(), "Vexa");
  EXPECT_EQ(window_.MenuMode(), 0);
  EXPECT_FALSE(window_.Tree().Image(CCmdTree::kImageHex).isNull()) << "the item images";
  EXPECT_FALSE(window_.IsCommandEnabled(kCmdDisconnect)) << "disconnected";
}

TEST_F(BareMainDialog, ClosingStoresLayoutAfterTheSaveQuestionAndDisconnectsLast) {
  Start();
  steps_.confirmSave = [this] {
    EXPECT_EQ(Prefs().ReadFlag(), std::nullopt) << "nothing is written before the question";
    return true;
  };
  steps_.onDisconnect = [this] {
    EXPECT_EQ(Prefs().ReadFlag(), 2u);
    EXPECT_TRUE(Prefs().ReadWindow()) << "written before disconnecting";
  };
  window_.SetCommandCheck(kCmdCommandList, true);
  steps_.calls.clear();
  window_.ExecuteCommand(kCmdExit);
  EXPECT_EQ(steps_.calls, (std::vector<std::string>{"confirmSave", "stopLogging", "disconnect"}));
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(window_.result(), QDialog::Accepted);
  const auto window = Prefs().ReadWindow();
  ASSERT_TRUE(window);
  EXPECT_EQ(window->treeWidth, window_.Tree().width());
  EXPECT_EQ(window->placement.normalRight - window->placement.normalLeft, window_.width());
}

TEST_F(BareMainDialog, ACloseIsRefusedByTheSaveQuestionOrDuringAnItemDrag) {
  bool answer = false;
  steps_.confirmSave = [&] { return answer; };
  int dragsCancelled = 0;
  QObject::connect(&window_, &CTest3Dlg::treeDragCancelled, [&] { ++dragsCancelled; });
  Start();
  steps_.calls.clear();
  window_.close();  // the close box
  EXPECT_TRUE(window_.isVisible());
  EXPECT_EQ(steps_.calls, std::vector<std::string>{"confirmSave"});
  EXPECT_EQ(Prefs().ReadFlag(), std::nullopt);

  window_.SetCaptureMode(CTest3Dlg::kDraggingItem);
  QTest::keyClick(&window_.Tree(), Qt::Key_Escape);
  EXPECT_EQ(steps_.calls, std::vector<std::string>{"confirmSave"});
  EXPECT_EQ(dragsCancelled, 1);
  EXPECT_EQ(window_.CaptureMode(), CTest3Dlg::kIdle);
  EXPECT_TRUE(window_.isVisible());

  answer = true;
  QTest::keyClick(&window_.Tree(), Qt::Key_Escape);
  EXPECT_FALSE(window_.isVisible());
}

TEST_F(MainDialog, StartsDisconnectedWithTheDefaultSettingsAndAHiddenOwner) {
  Start();
  EXPECT_FALSE(App().CommandListOwner()->isVisible());
  EXPECT_EQ(App().CommandListOwner()->windowTitle(), "ﾀﾞｲｱﾛｸﾞ");
  EXPECT_EQ(Work().Settings(), kDefaultCommSettings);
  EXPECT_FALSE(Dialog().CommandBox().isEnabled()) << "disconnected";
  EXPECT_TRUE(Dialog().Tree().hasFocus());
}

TEST_F(MainDialog, ClosingKeepsTheLogNameAndWritesNoEmptyOne) {
  Start();
  Dialog().ExecuteCommand(kCmdExit);
  EXPECT_EQ(Prefs().ReadLogName(), std::nullopt) << "an empty log name is not written";

  App().DestroyMainDialog();
  Prefs().WriteLogName("/var/log/ta.log");
  App().CreateMainDialog(QString());
  Start();
  Prefs().WriteLogName("changed meanwhile");
  Dialog().ExecuteCommand(kCmdExit);
  EXPECT_EQ(Prefs().ReadLogName(), "/var/log/ta.log") << "the name read at start-up";
}

TEST_F(MainDialog, WithoutPreferencesTheTemplateWindowOpens) {
  Start();
  const DialogUnits units(DialogFont());
  EXPECT_EQ(Dialog().ClientArea().size(), units.Size(352, 229));
  EXPECT_EQ(Dialog().size().width(), units.X(352));
  EXPECT_EQ(Dialog().Tree().geometry(), units.Rect(10, 45, 175, 171));
  EXPECT_EQ(Dialog().AnswerList().geometry(), units.Rect(203, 34, 138, 181));
  EXPECT_EQ(Dialog().StatusText().geometry(), units.Rect(223, 19, 120, 8));
  EXPECT_EQ(Dialog().AnswerLabel().geometry(), units.Rect(204, 19, 15, 8));
  EXPECT_EQ(Dialog().AnswerLabel().text(), "回答");
  EXPECT_EQ(Dialog().CommandBox().geometry().topLeft(), units.Rect(10, 29, 1, 1).topLeft());
  EXPECT_LE(Dialog().Toolbar()->geometry().bottom(), units.Y(19) + 2)
      << "the top strip holds the toolbar";
  EXPECT_FALSE(Dialog().AnswerFont());
  EXPECT_EQ(Dialog().AnswerList().font(), DialogFont());
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdCommandList));
  EXPECT_EQ(QFontInfo(Dialog().font()).family(), "IPAPGothic");
  EXPECT_EQ(QFontInfo(Dialog().Tree().font()).family(), "IPAGothic") << "ApplyTreeFont";
  EXPECT_EQ(Dialog().Tree().font().pointSize(), 9);
}

TEST_F(MainDialog, PlacementIsStoredRestoredAndNeverMinimised) {
  Start();
  Dialog().resize(700, 460);
  Settle();
  Dialog().showMinimized();
  Settle();
  Dialog().SaveLayoutAndClose();
  const auto stored = Prefs().ReadWindow();
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->placement.showCmd, kShowNormal);
  EXPECT_EQ(stored->placement.normalRight - stored->placement.normalLeft, 700);
  EXPECT_EQ(stored->placement.normalBottom - stored->placement.normalTop, 460);

  App().DestroyMainDialog();
  CTest3Dlg& next = App().CreateMainDialog(QString());
  next.OnInitDialog();
  EXPECT_EQ(next.size(), QSize(700, 460));
  EXPECT_EQ(next.Tree().width(), stored->treeWidth);
  EXPECT_FALSE(next.isMinimized());
}

TEST_F(MainDialog, AWindowValueWithoutTreeWidthCountsAsAbsent) {
  WindowPlacement placement;
  placement.normalRight = 900;
  placement.normalBottom = 700;
  Store().Write("software\\marlen\\Vexa\\window", "wndpl",
                PreferenceValue::Binary(placement.Pack()));
  Start();
  EXPECT_EQ(Dialog().ClientArea().size(), DialogUnits(DialogFont()).Size(352, 229));
}

TEST_F(MainDialog, AStoredTreeWidthBeyondTheWindowIsClamped) {
  WindowPlacement placement;
  placement.normalLeft = 10;
  placement.normalTop = 10;
  placement.normalRight = 610;
  placement.normalBottom = 410;
  Prefs().WriteWindow({5000, placement});
  Start();
  const DialogUnits units(DialogFont());
  const int clientWidth = Dialog().ClientArea().width();
  EXPECT_EQ(Dialog().Layout().TreeEdges().right, clientWidth - CWindRect::kPaneMinimum);
  EXPECT_EQ(Dialog().Layout().ListEdges().right, clientWidth - (units.X(352) - units.X(341)))
      << "the answer list keeps its distance to the right edge";
}

TEST_F(MainDialog, APlacementLargerThanTheScreenIsBoundedToItAndStoredSo) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const std::int32_t right = area.right() + 1;
  const std::int32_t bottom = area.bottom() + 1;
  const struct {
    std::int32_t left, top, right, bottom;
  } cases[] = {{0, 0, kMax, kMax},
               {kMin, kMin, kMax, kMax},
               {-50000, 100, 50000, 200},  // too wide, visible
               {right - 10, bottom - 10, right + 90000, bottom + 90000}};
  for (const auto& huge : cases) {
    SCOPED_TRACE(testing::Message()
                 << huge.left << ',' << huge.top << ',' << huge.right << ',' << huge.bottom);
    WindowPlacement placement;
    placement.normalLeft = huge.left;
    placement.normalTop = huge.top;
    placement.normalRight = huge.right;
    placement.normalBottom = huge.bottom;
    Prefs().WriteWindow({200, placement});
    App().DestroyMainDialog();
    CTest3Dlg& window = App().CreateMainDialog(QString());
    window.OnInitDialog();
    const QRect placed = window.geometry();
    EXPECT_TRUE(area.contains(placed))
        << placed.x() << ',' << placed.y() << ' ' << placed.width() << 'x' << placed.height();
    window.SaveLayoutAndClose();
    const auto stored = Prefs().ReadWindow();
    ASSERT_TRUE(stored);
    EXPECT_LE(stored->placement.normalRight - stored->placement.normalLeft, area.width());
    EXPECT_LE(stored->placement.normalBottom - stored->placement.normalTop, area.height());
  }
}

TEST_F(MainDialog, AnswerFontComesFromThePreferenceAndIsStoredAtDestruction) {
  LogFont stored;
  stored.height = -17;
  stored.weight = 700;
  stored.faceName = "IPAGothic";
  Prefs().WriteFont(stored);
  App().DestroyMainDialog();
  App().CreateMainDialog(QString());  // reads "font" while it is built
  Start();
  EXPECT_EQ(Dialog().AnswerList().font().pixelSize(), 17);
  EXPECT_TRUE(Dialog().AnswerList().font().bold());

  ui_.fontAnswers.push_back(std::nullopt);
  Dialog().ExecuteCommand(kCmdFont);
  EXPECT_EQ(Dialog().AnswerList().font().pixelSize(), 17) << "cancelled: nothing changes";
  QFont chosen("IPAPGothic");
  chosen.setPixelSize(21);
  ui_.fontAnswers.push_back(chosen);
  Dialog().AnswerList().AddLine("OK");
  Dialog().ExecuteCommand(kCmdFont);
  ASSERT_EQ(ui_.fontRequests.size(), 2u);
  EXPECT_EQ(ui_.fontRequests[1].pixelSize(), 17) << "the dialog starts from the list's font";
  EXPECT_EQ(Dialog().AnswerList().font().pixelSize(), 21);
  EXPECT_EQ(Prefs().ReadFont(), stored) << "stored only when the window object goes";
  App().DestroyMainDialog();
  const auto written = Prefs().ReadFont();
  ASSERT_TRUE(written);
  EXPECT_EQ(written->height, -21);
  EXPECT_EQ(written->faceName, "IPAPGothic");
  EXPECT_EQ(written->charSet, 128);
}

TEST_F(MainDialog, WithoutAChosenFontNoFontIsStored) {
  Start();
  App().DestroyMainDialog();
  EXPECT_EQ(Prefs().ReadFont(), std::nullopt);
}

TEST_F(MainDialog, HelpReportsAMissingPageAndAPageThatWillNotOpen) {
  Start();
  const QString beside = QCoreApplication::applicationDirPath() + "/VexaHelp.html";
  ASSERT_FALSE(QFileInfo::exists(beside));
  QTest::keyClick(&Dialog().Tree(), Qt::Key_F1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "ヘルプファイルが見つかりません。\nインストーラでVexa を修復することをお勧めします。");
  EXPECT_EQ(ui_.messages[0].caption, "Vexa");
  EXPECT_EQ(ui_.messages[0].icon, ui::Icon::kStop);
  EXPECT_EQ(ui_.messages[0].buttons, ui::Buttons::kOk);

  // Installed: under share/doc beside the program's folder.
  const QString docFolder = QCoreApplication::applicationDirPath() + "/../share/doc/vexa";
  ASSERT_TRUE(QDir().mkpath(docFolder));
  const QString installed = docFolder + "/VexaHelp.html";
  std::ofstream(installed.toStdString()) << "<html></html>";
  const QString installedPath = QFileInfo(installed).canonicalFilePath();
  Dialog().ExecuteCommand(kCmdHelp);
  // Beside the program comes first.
  std::ofstream(beside.toStdString()) << "<html></html>";
  ui_.documentOpens = false;
  Dialog().ExecuteCommand(kCmdHelp);
  QFile::remove(beside);
  QDir(QCoreApplication::applicationDirPath() + "/../share").removeRecursively();

  EXPECT_EQ(ui_.openedDocuments,
            (std::vector<QString>{installedPath, QFileInfo(beside).absoluteFilePath()}));
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text, "ヘルプファイルが開けません。");
  EXPECT_EQ(ui_.messages[1].icon, ui::Icon::kStop);
}

TEST_F(MainDialog, AboutBoxShowsNameVersionAndMaker) {
  Start();
  QStringList shown;
  QString caption;
  QTimer::singleShot(0, [&] {
    QWidget* about = QApplication::activeModalWidget();
    ASSERT_NE(about, nullptr);
    caption = about->windowTitle();
    for (const QLabel* label : about->findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) shown << label->text();
    }
    static_cast<QDialog*>(about)->accept();
  });
  Dialog().ExecuteCommand(kCmdAbout);
  EXPECT_EQ(caption, "ﾊﾞｰｼﾞｮﾝ情報 Vexa");
  EXPECT_EQ(shown, (QStringList{"Vexa  (Version 2.04)", QString::fromUtf8(kMakerLine)}));
}

TEST_F(MainDialog, DestroyingTheWindowReleasesItsTreeAndMenu) {
  Start();
  auto record = std::make_unique<CAttr>();
  record->label = "a;AT";
  const ItemHandle parent = Dialog().Tree().AppendItem(nullptr, std::move(record));
  Dialog().Tree().AppendItem(parent, std::make_unique<CAttr>());
  Dialog().DestroyWindow();
  EXPECT_EQ(Dialog().Tree().topLevelItemCount(), 0);
  EXPECT_EQ(Dialog().MenuBar(), nullptr);
}

TEST(Test3App, RunEndsWhenTheWindowClosesAndWritesItsPreferences) {
  test::ConfigHome config;
  test::ScriptedUi ui;
  CTest3App app;
  QTimer::singleShot(0, [] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (auto* main = qobject_cast<CTest3Dlg*>(window); main && main->isVisible()) main->close();
    }
  });
  EXPECT_EQ(app.Run("/x/y.vxp"), 0);
  EXPECT_EQ(app.CommandListOwner(), nullptr) << "the hidden owner is gone";
  EXPECT_TRUE(Preferences(PreferenceStore(config.PreferenceFile())).ReadWindow());
}

}  // namespace
}  // namespace vexa
