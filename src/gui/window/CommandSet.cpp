// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/CommandSet.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QToolBar>
#include <span>

#include "core/CommandIds.h"

namespace vexa {
namespace {

struct MenuItem {
  int id;  // kMenuSeparator: a separator line
  const char* text;
};
constexpr int kMenuSeparator = 0;

struct MenuPopup {
  const char* title;
  std::span<const MenuItem> items;
};

struct ToolbarEntry {
  enum class Style { kButton, kCheck, kSeparator };
  int id;
  Style style;
  const char* tip;
};

constexpr MenuItem kFileItems[] = {
    {kCmdNewFile, "新規作成(&N)"},        {kCmdOpenFile, "開く(&O)"},
    {kCmdSaveAs, "名前をつけて保存(&A)"}, {kCmdSave, "上書き保存(&S)"},
    {kCmdExit, "ﾌﾟﾛｸﾞﾗﾑを終了する(&X)"},
};
constexpr MenuItem kEditItems[] = {
    {kCmdInsert, "挿入(&I)            CTRL+I"},
    {kCmdInsertChild, "子挿入(&C)         CTRL+C"},
    {kCmdDelete, "削除(&D)            CTRL+D"},
    {kCmdDeleteAll, "全削除(&A)"},
    {kCmdDefaultSet, "デフォルト(&F)     CTRL+F"},
    {kCmdHexData, "&HEX ﾃﾞｰﾀ      CTRL+H"},
    {kCmdTextData, "&TEXTﾃﾞｰﾀ     CTRL+A"},
    {kCmdItemDetails, "項目の詳細(&P)   CTRL+P"},
    {kCmdEditItem, "編集(&E)"},
    {kCmdEditSettings, "編集の設定(&P)"},
};
constexpr MenuItem kViewItems[] = {
    {kCmdFont, "ﾌｫﾝﾄ(&F)"},
    {kCmdSendHex, "送信ﾍｷｻ(&S)"},
    {kCmdReceiveHex, "受信ﾍｷｻ(&R)"},
    {kCmdCommandList, "ｺﾏﾝﾄﾞ一覧(&C)"},
    {kMenuSeparator, nullptr},
    {kCmdShowTimes, "時刻表示(&T)"},
    {kCmdShowSent, "送信ﾃﾞｰﾀ表示(&W)"},
};
constexpr MenuItem kLinkItems[] = {
    {kCmdConnect, "接続(&C)"},
    {kCmdDisconnect, "切断(&S)"},
    {kCmdSend, "送信 (&T) CTRL+T"},
    {kCmdLog, "ﾛｸﾞ(&L)"},
    {kCmdCommSettings, "通信の設定(&P)"},
    {kMenuSeparator, nullptr},
    {kCmdReconnect, "自動再接続(&R)"},
};
constexpr MenuItem kHelpItems[] = {
    {kCmdHelp, "ﾍﾙﾌﾟ(&H)"},
    {kCmdAbout, "ﾊﾞｰｼﾞｮﾝ情報(&V)"},
};
constexpr MenuPopup kMainMenu[] = {
    {"ﾌｧｲﾙ(&F)", kFileItems}, {"編集(&E)", kEditItems}, {"表示(&V)", kViewItems},
    {"通信(&C)", kLinkItems}, {"ﾍﾙﾌﾟ(&H)", kHelpItems},
};

using Style = ToolbarEntry::Style;
constexpr ToolbarEntry kToolbar[] = {
    {kCmdNewFile, Style::kButton, "新規作成"},
    {kCmdOpenFile, Style::kButton, "開く(CTRL+O)"},
    {kCmdSave, Style::kButton, "上書き保存(CTRL+S)"},
    {kCmdToolbarSeparator, Style::kSeparator, ""},
    {kCmdInsert, Style::kButton, "挿入(CTRL+I)"},
    {kCmdInsertChild, Style::kButton, "子挿入(CTRL+J)"},
    {kCmdItemDetails, Style::kButton, "連続、自動"},
    {kCmdDelete, Style::kButton, "削除(CTRL+D)"},
    {kCmdSendHex, Style::kCheck, "送信ﾍｷｻ"},
    {kCmdReceiveHex, Style::kCheck, "ﾍｷｻ表示"},
    {kCmdCommandList, Style::kCheck, "ｺﾏﾝﾄﾞ一覧"},
    {kCmdToolbarSeparator, Style::kSeparator, ""},
    {kCmdSend, Style::kButton, "送信(CTRL+T)"},
    {kCmdConnect, Style::kButton, "接続"},
    {kCmdDisconnect, Style::kButton, "切断"},
    {kCmdToolbarSeparator, Style::kSeparator, ""},
    {kCmdFont, Style::kButton, "フォント"},
    {kCmdHelp, Style::kButton, "ﾍﾙﾌﾟ"},
    {kCmdToolbarSeparator, Style::kSeparator, ""},
    {kCmdLog, Style::kCheck, "ﾛｸﾞを取る"},
};

constexpr QSize kImageSize(16, 15);

// A toolbar gap as wide as the entry's position, with an etched line in its middle.
class ToolbarSeparator : public QWidget {
 public:
  ToolbarSeparator(int width, QWidget* parent) : QWidget(parent) { setFixedWidth(width); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int x = width() / 2;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(x, 3, x, height() - 4);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(x + 1, 3, x + 1, height() - 4);
  }
};

}  // namespace

CommandSet::CommandSet(QWidget* owner) : QObject(owner) {
  for (const MenuPopup& popup : kMainMenu) {
    for (const MenuItem& item : popup.items) {
      if (item.id != kMenuSeparator) AddAction(owner, item.id, QString::fromUtf8(item.text));
    }
  }
  for (int i = 0; i < kRecentFileCount; ++i) AddAction(owner, kCmdRecentFile0 + i, QString());
  const QPixmap strip(QStringLiteral(":/vexa/toolbar.png"));
  for (int position = 0; position < static_cast<int>(std::size(kToolbar)); ++position) {
    const ToolbarEntry& entry = kToolbar[position];
    if (entry.style == Style::kSeparator) continue;
    QAction* action = actions_.at(entry.id);
    action->setIcon(QIcon(strip.copy(QRect(QPoint(position * kImageSize.width(), 0), kImageSize))));
    action->setIconVisibleInMenu(false);
    action->setToolTip(QString::fromUtf8(entry.tip));
    action->setCheckable(entry.style == Style::kCheck);
  }
  recentSeparator_ = new QAction(owner);
  recentSeparator_->setSeparator(true);
  recentSeparator_->setData(static_cast<int>(kCmdRecentSeparator));
}

CommandSet::~CommandSet() = default;

QAction* CommandSet::AddAction(QWidget* owner, int id, const QString& text) {
  auto* action = new QAction(text, owner);
  action->setData(id);
  actions_[id] = action;
  connect(action, &QAction::triggered, this, [this, action, id](bool checked) {
    if (action->isCheckable()) {
      const QSignalBlocker quiet(action);
      action->setChecked(!checked);
    }
    Execute(id);
  });
  return action;
}

QAction* CommandSet::Action(int id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void CommandSet::SetHandler(int id, std::function<void()> handler) {
  handlers_[id] = std::move(handler);
}

void CommandSet::Execute(int id) {
  const auto found = handlers_.find(id);
  if (found != handlers_.end() && found->second) found->second();
}

void CommandSet::SetCheck(int id, bool on) {
  if (QAction* action = Action(id)) {
    action->setCheckable(true);
    action->setChecked(on);
  }
}

bool CommandSet::IsChecked(int id) const {
  const QAction* action = Action(id);
  return action && action->isChecked();
}

void CommandSet::SetEnable(int id, bool on) {
  if (QAction* action = Action(id)) action->setEnabled(on);
}

bool CommandSet::IsEnabled(int id) const {
  const QAction* action = Action(id);
  return action && action->isEnabled();
}

void CommandSet::ResetStates() {
  for (const auto& [id, action] : actions_) {
    action->setChecked(false);
    action->setEnabled(true);
  }
}

void CommandSet::FillMenuBar(QMenuBar& bar) {
  for (const MenuPopup& popup : kMainMenu) {
    QMenu* menu = bar.addMenu(QString::fromUtf8(popup.title));
    for (const MenuItem& item : popup.items) {
      if (item.id == kMenuSeparator) {
        menu->addSeparator();
      } else {
        menu->addAction(actions_.at(item.id));
      }
    }
    if (popup.items.data() == kFileItems) fileMenu_ = menu;
  }
}

void CommandSet::SetRecentFiles(const QStringList& names) {
  if (!fileMenu_) return;
  for (int i = 0; i < kRecentFileCount; ++i)
    fileMenu_->removeAction(actions_.at(kCmdRecentFile0 + i));
  fileMenu_->removeAction(recentSeparator_);
  QAction* exit = actions_.at(kCmdExit);
  const int count = std::min<int>(static_cast<int>(names.size()), kRecentFileCount);
  for (int i = 0; i < count; ++i) {
    QAction* item = actions_.at(kCmdRecentFile0 + i);
    item->setText(QStringLiteral("%1(&%2)").arg(names[i]).arg(i));
    fileMenu_->insertAction(exit, item);
  }
  if (count > 0) fileMenu_->insertAction(exit, recentSeparator_);
}

QStringList CommandSet::RecentFileTexts() const {
  QStringList texts;
  if (!fileMenu_) return texts;
  for (const QAction* action : fileMenu_->actions()) {
    const int id = action->data().toInt();
    if (id >= kCmdRecentFile0 && id < kCmdRecentFile0 + kRecentFileCount) texts << action->text();
  }
  return texts;
}

QToolBar* CommandSet::CreateToolbar(QWidget* parent) {
  auto* toolbar = new QToolBar(parent);
  toolbar->setIconSize(kImageSize);
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  for (int position = 0; position < static_cast<int>(std::size(kToolbar)); ++position) {
    const ToolbarEntry& entry = kToolbar[position];
    if (entry.style == Style::kSeparator) {
      toolbar->addWidget(new ToolbarSeparator(position, toolbar));
    } else {
      toolbar->addAction(actions_.at(entry.id));
    }
  }
  return toolbar;
}

}  // namespace vexa
