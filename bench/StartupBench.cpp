// SPDX-License-Identifier: GPL-3.0-or-later
// Time from process start to the main window shown and painted, with no preferences and an
// empty tree. The program starts itself again as the measured process (so loading the
// libraries counts) and waits for that process to report its first painted frame. A desktop
// session has a D-Bus session bus; a bare Xvfb has none, and the toolkit then spends several
// milliseconds looking for one: `dbus-run-session -- xvfb-run -a bench_startup` measures the
// former. Beside it, in turns, a window of the toolkit alone of the same make-up and size is
// timed the same way: the floor no program on this toolkit starts below.
//
//   bench_startup [runs]                 prints the figures, on the display (DISPLAY or
//                                        WAYLAND_DISPLAY; QT_QPA_PLATFORM may choose), else
//                                        offscreen
//   bench_startup --screenshot FILE.png  shows the window and saves a picture of the screen
//                 [--menu N]             with popup menu N (0 = ﾌｧｲﾙ) open
//                 [--about]              with the about box open
//                 [--open PATH]          started with a command file instead of sample items
//                 [--expand]             with every tree item expanded
//                 [--modified]           after a change (the title is printed)
//                 [--edit ROW]           with the item editor open over visible row ROW
//                 [--item-menu ROW]      with the tree's context menu open on visible row ROW
//                 [--command-list]       with the command list window open beside the window
//                 [--drag FROM TO]       while visible row FROM is dragged over row TO
//                 [--as-child]           with the pointer right of TO's label; the drag cursor
//                                        is drawn into the picture where the pointer is

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <QContextMenuEvent>
#include <QPainter>

#include "core/CommandIds.h"
#include "core/codec/Cp932.h"
#include "core/workspace/Workspace.h"
#include "gui/app/FontWarmUp.h"
#include "gui/app/Test3App.h"
#include "gui/controls/AnswerList.h"
#include "gui/controls/CmdList.h"
#include "gui/controls/CmdTree.h"
#include "gui/features/CommandListCommands.h"
#include "gui/features/FileCommands.h"
#include "gui/features/TreeCommands.h"
#include "gui/features/TreeDragDrop.h"
#include "gui/window/Test3Dlg.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Reports the first paint of the main window on `reportFd`, with the name of the platform it
// was painted on, then closes the window.
class FirstPaintWatch : public QObject {
 public:
  FirstPaintWatch(QDialog& dialog, int reportFd) : dialog_(dialog), reportFd_(reportFd) {
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!done_ && event->type() == QEvent::Paint && widget && widget->window() == &dialog_) {
      done_ = true;
      QTimer::singleShot(0, this, [this] {
        const QByteArray shown = QGuiApplication::platformName().toUtf8() + ' ' +
                                 QByteArray::number(dialog_.width()) + ' ' +
                                 QByteArray::number(dialog_.height());
        if (::write(reportFd_, shown.data(), shown.size()) != shown.size()) std::perror("write");
        dialog_.reject();
      });
    }
    return false;
  }

 private:
  QDialog& dialog_;
  int reportFd_;
  bool done_ = false;
};

// What main() does before the window, then the window.
int RunChild(int argc, char** argv, int reportFd) {
  vexa::FontWarmUp fonts;
  QApplication application(argc, argv);
  fonts.Finish();
  vexa::CTest3App app;
  vexa::CTest3Dlg& dialog = app.CreateMainDialog(QString());
  FirstPaintWatch watch(dialog, reportFd);
  dialog.DoModal();
  return dialog.Tree().topLevelItemCount() == 0 ? 0 : 1;
}

// The toolkit's own floor: a window of the same make-up (menu bar, tree, list, command box)
// and size, with nothing of the program behind it, started the same way.
int RunBareChild(int argc, char** argv, int reportFd, QSize size) {
  // Offscreen, the toolkit remarks on size hints it cannot pass on; the figures are the output.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  QApplication application(argc, argv);
  QDialog window;
  auto* layout = new QVBoxLayout(&window);
  auto* menuBar = new QMenuBar;
  // Japanese titles, as Vexa's: their glyphs come from a fallback font, found at start-up.
  for (const char* title : {"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}) {
    menuBar->addMenu(title)->addAction("-");
  }
  layout->setMenuBar(menuBar);
  auto* panes = new QSplitter;
  auto* tree = new QTreeWidget;
  tree->setHeaderHidden(true);
  panes->addWidget(tree);
  panes->addWidget(new QListView);
  layout->addWidget(panes);
  auto* box = new QComboBox;
  box->setEditable(true);
  layout->addWidget(box);
  layout->addWidget(new QLabel("-"));
  window.resize(size);
  FirstPaintWatch watch(window, reportFd);
  return window.exec() == QDialog::Rejected ? 0 : 1;
}

bool Empty(const char* variable) {
  const char* value = std::getenv(variable);
  return !value || value[0] == '\0';
}

struct Measurement {
  double milliseconds = 0;
  std::string platform;
  QSize size;  // of the window shown
};

// Starts this program again with `childArguments` and the write end of a pipe appended, and
// times it until the child reports its first painted frame.
Measurement MeasureOnce(const char* self, const std::string& configHome,
                        std::vector<std::string> childArguments) {
  int fds[2];
  if (::pipe(fds) != 0) std::exit(1);
  std::vector<std::string> env = {"XDG_CONFIG_HOME=" + configHome};
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0) env.emplace_back(*e);
  }
  if (Empty("QT_QPA_PLATFORM") && Empty("DISPLAY") && Empty("WAYLAND_DISPLAY")) {
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  childArguments.insert(childArguments.begin(), self);
  childArguments.insert(childArguments.begin() + 2, std::to_string(fds[1]));
  std::vector<char*> args;
  for (std::string& word : childArguments) args.push_back(word.data());
  args.push_back(nullptr);

  const auto start = Clock::now();
  pid_t pid = 0;
  if (::posix_spawn(&pid, self, nullptr, nullptr, args.data(), envp.data()) != 0) std::exit(1);
  ::close(fds[1]);
  char report[64];
  const ssize_t reported = ::read(fds[0], report, sizeof report - 1);
  const auto elapsed = Clock::now() - start;
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (reported <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the measured process failed\n");
    std::exit(1);
  }
  report[reported] = '\0';
  char platform[64] = "";
  int width = 0;
  int height = 0;
  if (std::sscanf(report, "%63s %d %d", platform, &width, &height) != 3) std::exit(1);
  return {std::chrono::duration<double, std::milli>(elapsed).count(), platform, {width, height}};
}

struct ShotOptions {
  const char* file = nullptr;
  int menu = -1;
  bool about = false;
  const char* open = nullptr;
  bool expand = false;
  bool modified = false;
  int edit = -1;
  int itemMenu = -1;
  bool commandList = false;
  int dragFrom = -1;
  int dragTo = -1;
  bool dragAsChild = false;
};

// Items of each kind, with their data derived as loading does (the command list shows rows).
void AddSampleItems(vexa::CTest3App& app) {
  for (const char* label : {"ATコマンド", "初期化;ATZ", "情報;ATI", "HEX;0102030405"}) {
    auto record = std::make_unique<vexa::CAttr>();
    record->label = vexa::Utf8ToCp932(label);
    record->sendKind = std::strncmp(label, "HEX", 3) == 0 ? vexa::kKindHex
                       : std::strchr(label, ';')          ? vexa::kKindText
                                                          : vexa::kKindNone;
    app.Window().Tree().AppendItem(nullptr, std::move(record));
  }
  app.Work().RevalidateItems();
  app.TreeEditing().SetDeleteCommandsEnabled(true);
}

// The tree item shown in visible row `row`, counted from the top.
QTreeWidgetItem* VisibleRow(vexa::CCmdTree& tree, int row) {
  QTreeWidgetItem* item = tree.topLevelItem(0);
  for (int i = 0; item && i < row; ++i) item = tree.itemBelow(item);
  return item;
}

void ArrangeTree(vexa::CTest3App& app, const ShotOptions& options) {
  vexa::CTest3Dlg& dialog = app.Window();
  vexa::CCmdTree& tree = dialog.Tree();
  if (options.expand) tree.expandAll();
  if (options.modified) app.Work().MarkModified();
  if (QTreeWidgetItem* item = options.edit >= 0 ? VisibleRow(tree, options.edit) : nullptr) {
    tree.SelectItem(vexa::CCmdTree::HandleOf(item));
    dialog.ExecuteCommand(vexa::kCmdEditItem);
  }
  if (QTreeWidgetItem* item =
          options.itemMenu >= 0 ? VisibleRow(tree, options.itemMenu) : nullptr) {
    QTimer::singleShot(0, &tree, [&tree, item] {
      const QPoint at = tree.visualItemRect(item).center();
      QContextMenuEvent click(QContextMenuEvent::Mouse, at, tree.viewport()->mapToGlobal(at));
      QApplication::sendEvent(tree.viewport(), &click);
    });
  }
}

// Starts a drag of one visible row and moves it over another, as the mouse would; returns
// the pointer's place on the screen.
QPoint ArrangeDrag(vexa::CTest3App& app, const ShotOptions& options) {
  vexa::CTest3Dlg& dialog = app.Window();
  vexa::CCmdTree& tree = dialog.Tree();
  QTreeWidgetItem* from = VisibleRow(tree, options.dragFrom);
  QTreeWidgetItem* to = VisibleRow(tree, options.dragTo);
  if (!from || !to) return {};
  const auto pointOn = [&](QTreeWidgetItem* item, bool rightOfLabel) {
    const QRect label = tree.LabelRect(vexa::CCmdTree::HandleOf(item));
    const QPoint screen = rightOfLabel ? QPoint(label.right() + 12, label.center().y())
                                       : QPoint(label.left() + 6, label.center().y());
    return tree.viewport()->mapFromGlobal(screen);
  };
  if (!app.DragDrop().StartItemDrag(Qt::LeftButton, pointOn(from, false))) return {};
  dialog.SetCaptureMode(vexa::CTest3Dlg::kDraggingItem);
  const QPoint over = pointOn(to, options.dragAsChild);
  // The mouse move the window gets while it holds the capture.
  QMouseEvent move(QEvent::MouseMove, tree.viewport()->mapTo(&dialog.ClientArea(), over),
                   tree.viewport()->mapToGlobal(over), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&dialog.ClientArea(), &move);
  return tree.viewport()->mapToGlobal(over);
}

int TakeScreenshot(int argc, char** argv, const ShotOptions& options) {
  QApplication application(argc, argv);
  vexa::CTest3App app;
  vexa::CTest3Dlg& dialog =
      app.CreateMainDialog(options.open ? QString::fromLocal8Bit(options.open) : QString());
  QPoint pointer;
  QTimer::singleShot(600, [&] {
    if (!options.open) AddSampleItems(app);
    for (const char* line :
         {"ATZ", "OK", "ATI", "TA-1000 Ver 2.04\tREADY", "\x1b[0mESC\rCR", "応答なし"}) {
      dialog.AnswerList().AddLine(vexa::Utf8ToCp932(line));
    }
    ArrangeTree(app, options);
    if (options.commandList) {
      dialog.ExecuteCommand(vexa::kCmdCommandList);
      if (vexa::CCmdList* list = app.CommandListWindow().Window()) {
        dialog.move(10, 10);
        list->resize(380, dialog.height());
        list->move(dialog.frameGeometry().topRight() + QPoint(8, 0));
        std::printf("command list: %s\n", list->windowTitle().toUtf8().constData());
      }
    }
    if (options.dragFrom >= 0) pointer = ArrangeDrag(app, options);
    if (options.menu >= 0) {
      QAction* popup = dialog.MenuBar()->actions().value(options.menu);
      dialog.MenuBar()->setActiveAction(popup);
    }
    if (options.about) QTimer::singleShot(0, [&] { dialog.ShowAbout(); });
  });
  QTimer::singleShot(1500, [&] {
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap picture = QGuiApplication::platformName() == QLatin1String("offscreen")
                          ? dialog.grab()
                          : screen->grabWindow(0);
    // A screen grab leaves the pointer out: draw the drag cursor where it is.
    if (const QCursor* cursor = QGuiApplication::overrideCursor(); cursor && !pointer.isNull()) {
      const QPixmap shape = cursor->pixmap();
      const QPoint at = QGuiApplication::platformName() == QLatin1String("offscreen")
                            ? dialog.mapFromGlobal(pointer)
                            : pointer;
      QPainter painter(&picture);
      if (shape.isNull()) {
        painter.drawText(at, QStringLiteral("⊘"));
      } else {
        painter.drawPixmap(at - cursor->hotSpot(), shape);
      }
    }
    std::printf("drag cursor: %d\n", static_cast<int>(app.DragDrop().Cursor()));
    app.DragDrop().CancelItemDrag();
    dialog.SetCaptureMode(vexa::CTest3Dlg::kIdle);
    picture.save(QString::fromLocal8Bit(options.file));
    std::printf("title: %s\n", dialog.windowTitle().toUtf8().constData());
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window != &dialog && window->isVisible()) window->close();
    }
    dialog.MenuBar()->setActiveAction(nullptr);
    app.Files().UpdateTitle();  // the picture is taken: close without the save question
    dialog.reject();
  });
  dialog.DoModal();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
    return RunChild(1, argv, std::atoi(argv[2]));
  }
  if (argc >= 5 && std::strcmp(argv[1], "--bare-child") == 0) {
    return RunBareChild(1, argv, std::atoi(argv[2]), {std::atoi(argv[3]), std::atoi(argv[4])});
  }
  if (argc >= 3 && std::strcmp(argv[1], "--screenshot") == 0) {
    ShotOptions options;
    options.file = argv[2];
    for (int i = 3; i < argc; ++i) {
      const bool hasValue = i + 1 < argc;
      if (std::strcmp(argv[i], "--menu") == 0 && hasValue) options.menu = std::atoi(argv[++i]);
      if (std::strcmp(argv[i], "--about") == 0) options.about = true;
      if (std::strcmp(argv[i], "--open") == 0 && hasValue) options.open = argv[++i];
      if (std::strcmp(argv[i], "--expand") == 0) options.expand = true;
      if (std::strcmp(argv[i], "--modified") == 0) options.modified = true;
      if (std::strcmp(argv[i], "--edit") == 0 && hasValue) options.edit = std::atoi(argv[++i]);
      if (std::strcmp(argv[i], "--item-menu") == 0 && hasValue)
        options.itemMenu = std::atoi(argv[++i]);
      if (std::strcmp(argv[i], "--command-list") == 0) options.commandList = true;
      if (std::strcmp(argv[i], "--drag") == 0 && i + 2 < argc) {
        options.dragFrom = std::atoi(argv[++i]);
        options.dragTo = std::atoi(argv[++i]);
      }
      if (std::strcmp(argv[i], "--as-child") == 0) options.dragAsChild = true;
    }
    int qtArgc = 1;
    return TakeScreenshot(qtArgc, argv, options);
  }
  const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 10;
  const auto configHome =
      std::filesystem::temp_directory_path() / ("vexa-bench-" + std::to_string(::getpid()));
  std::vector<double> times;
  std::vector<double> bareTimes;
  std::string platform;
  // Taken in turns, so that a machine busy for a while weighs on both alike.
  for (int i = 0; i < runs; ++i) {
    std::filesystem::remove_all(configHome);  // no preferences: the template window, empty tree
    const Measurement measured = MeasureOnce(argv[0], configHome.string(), {"--child"});
    times.push_back(measured.milliseconds);
    platform = measured.platform;
    bareTimes.push_back(MeasureOnce(argv[0], configHome.string(),
                                    {"--bare-child", std::to_string(measured.size.width()),
                                     std::to_string(measured.size.height())})
                            .milliseconds);
  }
  std::filesystem::remove_all(configHome);
  std::sort(times.begin(), times.end());
  std::sort(bareTimes.begin(), bareTimes.end());
  const double median = times[times.size() / 2];
  const double bareMedian = bareTimes[bareTimes.size() / 2];
  std::printf(
      "process start to shown main window (empty tree, %s), %d runs: median %.1f ms, best %.1f "
      "ms, worst %.1f ms (goal <= 50 ms under Xvfb)\n",
      platform.c_str(), runs, median, times.front(), times.back());
  std::printf(
      "  a bare window of the toolkit, same make-up and size: median %.1f ms, best %.1f ms, "
      "worst %.1f ms; Vexa takes %.2f x that\n",
      bareMedian, bareTimes.front(), bareTimes.back(), median / bareMedian);
  return 0;
}
