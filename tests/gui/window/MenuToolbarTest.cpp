// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <vector>

#include "core/CommandIds.h"
#include "support/MainWindowFixture.h"

namespace vexa {
namespace {

using test::MainWindowFixture;

struct ExpectedPopup {
  const char* title;
  std::vector<const char*> items;
};

// What the operator reads, written out independently of the program's own table.
const std::vector<ExpectedPopup> kExpectedMenus = {
    {"ﾌｧｲﾙ(&F)",
     {"新規作成(&N)", "開く(&O)", "名前をつけて保存(&A)", "上書き保存(&S)",
      "ﾌﾟﾛｸﾞﾗﾑを終了する(&X)"}},
    {"編集(&E)",
     {"挿入(&I)            CTRL+I", "子挿入(&C)         CTRL+C", "削除(&D)            CTRL+D",
      "全削除(&A)", "デフォルト(&F)     CTRL+F", "&HEX ﾃﾞｰﾀ      CTRL+H", "&TEXTﾃﾞｰﾀ     CTRL+A",
      "項目の詳細(&P)   CTRL+P", "編集(&E)", "編集の設定(&P)"}},
    {"表示(&V)",
     {"ﾌｫﾝﾄ(&F)", "送信ﾍｷｻ(&S)", "受信ﾍｷｻ(&R)", "ｺﾏﾝﾄﾞ一覧(&C)", "-", "時刻表示(&T)",
      "送信ﾃﾞｰﾀ表示(&W)"}},
    {"通信(&C)",
     {"接続(&C)", "切断(&S)", "送信 (&T) CTRL+T", "ﾛｸﾞ(&L)", "通信の設定(&P)", "-",
      "自動再接続(&R)"}},
    {"ﾍﾙﾌﾟ(&H)", {"ﾍﾙﾌﾟ(&H)", "ﾊﾞｰｼﾞｮﾝ情報(&V)"}},
};

QStringList Texts(const QMenu& menu) {
  QStringList texts;
  for (const QAction* action : menu.actions())
    texts << (action->isSeparator() ? "-" : action->text());
  return texts;
}

QStringList Strings(const std::vector<const char*>& texts) {
  QStringList list;
  for (const char* text : texts) list << QString::fromUtf8(text);
  return list;
}

class MenuToolbar : public MainWindowFixture {
 protected:
  QMenu* Popup(int index) { return Dialog().MenuBar()->actions().at(index)->menu(); }
  QToolButton* Button(int id) {
    return qobject_cast<QToolButton*>(
        Dialog().Toolbar()->widgetForAction(Dialog().CommandAction(id)));
  }
};

TEST_F(MenuToolbar, MenuTextsAndOrderAreExact) {
  Start();
  const QList<QAction*> popups = Dialog().MenuBar()->actions();
  ASSERT_EQ(popups.size(), static_cast<qsizetype>(kExpectedMenus.size()));
  for (std::size_t i = 0; i < kExpectedMenus.size(); ++i) {
    EXPECT_EQ(popups[i]->text(), QString::fromUtf8(kExpectedMenus[i].title));
    EXPECT_EQ(Texts(*popups[i]->menu()), Strings(kExpectedMenus[i].items))
        << kExpectedMenus[i].title;
  }
}

TEST_F(MenuToolbar, RecentFilesGoBeforeTheExitItemWithTheirSeparator) {
  Start();
  Dialog().SetRecentFileItems({"abc", "def"});
  EXPECT_EQ(Texts(*Popup(0)),
            (QStringList{"新規作成(&N)", "開く(&O)", "名前をつけて保存(&A)", "上書き保存(&S)",
                         "abc(&0)", "def(&1)", "-", "ﾌﾟﾛｸﾞﾗﾑを終了する(&X)"}));
  int opened = -1;
  Dialog().SetCommandHandler(kCmdRecentFile0 + 1, [&] { opened = 1; });
  Popup(0)->actions().at(5)->trigger();
  EXPECT_EQ(opened, 1);

  Dialog().SetRecentFileItems({"x", "a", "b", "c", "d", "too many"});
  EXPECT_EQ(Texts(*Popup(0)).mid(4, 6),
            (QStringList{"x(&0)", "a(&1)", "b(&2)", "c(&3)", "d(&4)", "-"}));
  Dialog().SetRecentFileItems({});
  EXPECT_EQ(Texts(*Popup(0)), Strings(kExpectedMenus[0].items));
}

TEST_F(MenuToolbar, ToolbarHasTwentyEntriesWithTheirTipsImagesAndGaps) {
  Start();
  struct Entry {
    int id;  // 0: a gap as wide as its position
    const char* tip;
    bool check;
  };
  const Entry expected[] = {
      {kCmdNewFile, "新規作成", false},
      {kCmdOpenFile, "開く(CTRL+O)", false},
      {kCmdSave, "上書き保存(CTRL+S)", false},
      {0, "", false},
      {kCmdInsert, "挿入(CTRL+I)", false},
      {kCmdInsertChild, "子挿入(CTRL+J)", false},
      {kCmdItemDetails, "連続、自動", false},
      {kCmdDelete, "削除(CTRL+D)", false},
      {kCmdSendHex, "送信ﾍｷｻ", true},
      {kCmdReceiveHex, "ﾍｷｻ表示", true},
      {kCmdCommandList, "ｺﾏﾝﾄﾞ一覧", true},
      {0, "", false},
      {kCmdSend, "送信(CTRL+T)", false},
      {kCmdConnect, "接続", false},
      {kCmdDisconnect, "切断", false},
      {0, "", false},
      {kCmdFont, "フォント", false},
      {kCmdHelp, "ﾍﾙﾌﾟ", false},
      {0, "", false},
      {kCmdLog, "ﾛｸﾞを取る", true},
  };
  const QList<QAction*> entries = Dialog().Toolbar()->actions();
  ASSERT_EQ(entries.size(), 20);
  for (int position = 0; position < 20; ++position) {
    QWidget* widget = Dialog().Toolbar()->widgetForAction(entries[position]);
    ASSERT_NE(widget, nullptr);
    if (expected[position].id == 0) {
      EXPECT_EQ(widget->width(), position) << "gap " << position;
      continue;
    }
    EXPECT_EQ(entries[position], Dialog().CommandAction(expected[position].id)) << position;
    auto* button = qobject_cast<QToolButton*>(widget);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QString::fromUtf8(expected[position].tip)) << position;
    EXPECT_EQ(button->isCheckable(), expected[position].check) << position;
    const QImage image = entries[position]->icon().pixmap(QSize(16, 15)).toImage();
    EXPECT_EQ(image.size(), QSize(16, 15));
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 0;
    }
    EXPECT_GT(opaque, 20) << "image " << position << " is drawn";
  }
}

TEST_F(MenuToolbar, CheckAndEnableActOnMenuItemAndButtonAlike) {
  Start();
  Dialog().SetCommandCheck(kCmdSendHex, true);
  EXPECT_TRUE(Dialog().CommandAction(kCmdSendHex)->isChecked());
  EXPECT_TRUE(Button(kCmdSendHex)->isChecked());
  Dialog().SetCommandCheck(kCmdSendHex, false);
  EXPECT_FALSE(Button(kCmdSendHex)->isChecked());

  Dialog().SetCommandEnable(kCmdConnect, false);
  EXPECT_FALSE(Dialog().CommandAction(kCmdConnect)->isEnabled());
  EXPECT_FALSE(Button(kCmdConnect)->isEnabled());
  Dialog().SetCommandEnable(kCmdConnect, true);
  EXPECT_TRUE(Button(kCmdConnect)->isEnabled());

  // A command without a button or menu item is simply not there.
  Dialog().SetCommandCheck(kCmdSelectFirst, true);
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdSelectFirst));
}

TEST_F(MenuToolbar, ACheckButtonChangesOnlyThroughItsCommand) {
  Start();
  int runs = 0;
  Dialog().SetCommandHandler(kCmdReceiveHex, [&] { ++runs; });
  Button(kCmdReceiveHex)->click();
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdReceiveHex)) << "the handler did not check it";
  EXPECT_FALSE(Button(kCmdReceiveHex)->isChecked());

  Dialog().SetCommandHandler(kCmdReceiveHex, [&] {
    Dialog().SetCommandCheck(kCmdReceiveHex, !Dialog().IsCommandChecked(kCmdReceiveHex));
  });
  Button(kCmdReceiveHex)->click();
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdReceiveHex));
  EXPECT_TRUE(Button(kCmdReceiveHex)->isChecked());
  Popup(2)->actions().at(2)->trigger();  // 受信ﾍｷｻ(&R) from the menu
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdReceiveHex));
  EXPECT_FALSE(Button(kCmdReceiveHex)->isChecked());
}

TEST_F(MenuToolbar, StartupGreysDisconnectAndSendOnly) {
  Start();
  for (int id : {kCmdDisconnect, kCmdSend}) EXPECT_FALSE(Dialog().IsCommandEnabled(id)) << id;
  for (int id : std::initializer_list<int>{kCmdConnect, kCmdOpenFile, kCmdNewFile, kCmdDefaultSet,
                                           kCmdRecentFile0, kCmdRecentFile0 + 4, kCmdSave,
                                           kCmdSaveAs, kCmdInsert, kCmdLog, kCmdHelp, kCmdAbout}) {
    EXPECT_TRUE(Dialog().IsCommandEnabled(id)) << id;
  }

  Dialog().ApplyConnectedEnabling();
  for (int id : {kCmdDisconnect, kCmdSend, kCmdSave, kCmdInsert})
    EXPECT_TRUE(Dialog().IsCommandEnabled(id)) << id;
  for (int id : std::initializer_list<int>{kCmdConnect, kCmdOpenFile, kCmdNewFile, kCmdDefaultSet,
                                           kCmdRecentFile0 + 2}) {
    EXPECT_FALSE(Dialog().IsCommandEnabled(id)) << id;
  }
}

TEST_F(MenuToolbar, MenuSetupKeepsOnlyTheCommandListCheck) {
  Start();
  Dialog().SetCommandCheck(kCmdCommandList, true);
  Dialog().SetCommandCheck(kCmdLog, true);
  Dialog().ApplyConnectedEnabling();
  Dialog().MenuSetup();
  EXPECT_TRUE(Dialog().IsCommandChecked(kCmdCommandList));
  EXPECT_TRUE(Button(kCmdCommandList)->isChecked());
  EXPECT_FALSE(Dialog().IsCommandChecked(kCmdLog));
  EXPECT_EQ(Dialog().MenuMode(), 0);
  EXPECT_TRUE(Dialog().IsCommandEnabled(kCmdDisconnect)) << "the enabling follows the connection";
  EXPECT_FALSE(Dialog().IsCommandEnabled(kCmdConnect));
}

TEST_F(MenuToolbar, CommandsRunTheirHandlersAndNothingWithout) {
  Start();
  int runs = 0;
  Dialog().SetCommandHandler(kCmdDeleteAll, [&] { ++runs; });
  Popup(1)->actions().at(3)->trigger();
  Dialog().ExecuteCommand(kCmdDeleteAll);
  EXPECT_EQ(runs, 2);
  Dialog().ExecuteCommand(kCmdContextMenuKey);  // deliberately without handler: nothing happens
  Dialog().SetCommandHandler(kCmdDeleteAll, nullptr);
  Dialog().ExecuteCommand(kCmdDeleteAll);
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace vexa
