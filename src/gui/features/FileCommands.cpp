// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/features/FileCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <vector>

#include "core/CommandIds.h"
#include "core/files/CommandFile.h"
#include "core/items/CommandListView.h"
#include "core/settings/Preferences.h"
#include "core/workspace/Workspace.h"
#include "gui/seam/UiSeam.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {
namespace {

constexpr char kModifiedMark[] = "(更新)";
constexpr char kChangedFileQuestion[] = "%1 は変更されています。保存しますか？";
constexpr char kChangedNewFileQuestion[] = "新規ﾌｧｲﾙは変更されています。保存しますか？";
constexpr char kFileFilter[] = "TA情報ファイル (*.vxp)";
constexpr char kExtension[] = "vxp";

std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

RecentFiles::ReadEntry EntriesOf(std::vector<std::string> paths) {
  return [paths = std::move(paths)](int index) -> std::optional<std::string> {
    if (index < 0 || static_cast<std::size_t>(index) >= paths.size()) return std::nullopt;
    return paths[static_cast<std::size_t>(index)];
  };
}

}  // namespace

FileCommands::FileCommands(CTest3Dlg& window, Workspace& work, TreeReload& tree,
                           Preferences& preferences)
    : window_(window),
      work_(work),
      tree_(tree),
      recent_(EntriesOf(preferences.ReadHistory()),
              [&preferences](int index, std::string_view path) {
                preferences.WriteHistoryEntry(index, path);
              }) {
  recent_.Load();
  window.SetCommandHandler(kCmdNewFile, [this] { NewCommandFile(); });
  window.SetCommandHandler(kCmdOpenFile, [this] { OpenCommandFile(); });
  window.SetCommandHandler(kCmdSaveAs, [this] { SaveCommandFileAs(); });
  window.SetCommandHandler(kCmdSave, [this] { SaveCurrentFile(); });
  for (int i = 0; i < kRecentFileCount; ++i) {
    window.SetCommandHandler(kCmdRecentFile0 + i, [this, i] { OpenHistoryEntry(i); });
  }
  work.SetModifiedListener(
      [this] { window_.SetTitlePart(window_.TitlePart() + QString::fromUtf8(kModifiedMark)); });
}

void FileCommands::UpdateTitle() {
  const std::string& title = work_.FileTitle();
  QString part = window_.BaseTitle();
  if (!title.empty()) part += QLatin1Char(' ') + PathText(title);
  // Also when a new file has no title: the list must not keep naming the previous one.
  if (CommandListView* list = work_.CommandList()) list->SetFileTitle(title);
  window_.SetTitlePart(part);
  work_.ClearModified();
  // A file read only in part is not what the tree holds: the rest would go with the next
  // save, so the tree counts as changed (and that save keeps the file beside it).
  if (work_.HoldsPartOfFile()) work_.MarkModified();
}

bool FileCommands::ConfirmSave() {
  if (!work_.IsModified()) return true;
  const std::string& title = work_.FileTitle();
  const QString question = title.empty()
                               ? QString::fromUtf8(kChangedNewFileQuestion)
                               : QString::fromUtf8(kChangedFileQuestion).arg(PathText(title));
  const ui::Answer answer = ui::ShowMessage(&window_, question, QString::fromUtf8(kAppName),
                                            ui::Icon::kWarning, ui::Buttons::kYesNoCancel);
  if (answer == ui::Answer::kCancel) return false;
  if (answer == ui::Answer::kYes) SaveCurrentFile();
  return true;
}

void FileCommands::NewCommandFile() {
  if (!ConfirmSave()) return;
  work_.Settings() = kDefaultCommSettings;
  tree_.DeleteAll();
  work_.SetFile({}, {});
  window_.SetTitlePart(window_.BaseTitle());
  UpdateTitle();
}

void FileCommands::OpenCommandFile() {
  if (!ConfirmSave()) return;
  std::string path;
  std::string title;
  if (!ChooseCommandFile(path, title, true)) return;
  if (!LoadCommandFile(path, true)) return;
  work_.SetFile(path, title);
  RememberInHistory(path);
  UpdateTitle();
}

void FileCommands::SaveCommandFileAs() {
  std::string path = work_.FilePath();
  std::string title = work_.FileTitle();
  if (!ChooseCommandFile(path, title, false)) return;
  // The chosen name is the current file from here on, even when saving then fails.
  work_.SetFile(path, title);
  if (!SaveTo(path)) return;
  UpdateTitle();
  RememberInHistory(path);
}

void FileCommands::SaveCurrentFile() {
  if (work_.FileTitle().empty()) {
    SaveCommandFileAs();
    return;
  }
  if (SaveTo(work_.FilePath())) UpdateTitle();
}

void FileCommands::OpenHistoryEntry(int index) {
  const std::string path = history_.GetPath(index);
  const std::string name = history_.GetName(index);
  if (!ConfirmSave()) return;
  if (LoadCommandFile(path, true)) {
    recent_.HistoryAdd(path);
    work_.SetFile(path, name);
    UpdateTitle();
  } else {
    recent_.HistoryRemove(path);
  }
  RebuildFileHistory();
  RebuildHistoryMenu();
}

bool FileCommands::ChooseCommandFile(std::string& path, std::string& title, bool forOpening) {
  ui::FileRequest request;
  request.mode = forOpening ? ui::FileRequest::Mode::kOpen : ui::FileRequest::Mode::kSave;
  request.filter = QString::fromUtf8(kFileFilter);
  request.defaultExtension = QString::fromUtf8(kExtension);
  request.initialName =
      title.empty() ? QStringLiteral("*.vxp") : PathText(title) + QStringLiteral(".vxp");
  if (!path.empty()) request.folder = QFileInfo(PathText(path)).path();
  const std::optional<QString> chosen = ui::ChooseFile(&window_, request);
  if (!chosen) return false;
  const std::string chosenPath = PathBytes(*chosen);
  const std::optional<std::string> chosenTitle = TitleFromPath(chosenPath);
  if (!chosenTitle) return false;
  path = chosenPath;
  title = *chosenTitle;
  return true;
}

bool FileCommands::LoadCommandFile(const std::string& path, bool showMessages) {
  const CommandFileLoad load = work_.LoadFile(path);
  if (load.readResult != FileRead::kOk) {
    if (showMessages) ui::ShowFailure(&window_, LoadFailureMessage(load), kAppName);
    return false;
  }
  tree_.TreeLoaded(load.items, showMessages);
  return true;
}

bool FileCommands::SaveTo(const std::string& path) {
  const SaveResult result = work_.SaveTo(path);
  if (result == SaveResult::kOk) return true;
  ui::ShowFailure(&window_, SaveFailureMessage(result), kAppName);
  return false;
}

void FileCommands::RememberInHistory(const std::string& path) {
  recent_.HistoryAdd(path);
  RebuildFileHistory();
  RebuildHistoryMenu();
}

void FileCommands::RebuildFileHistory() {
  history_.RebuildFrom(recent_);
}

void FileCommands::RebuildHistoryMenu() {
  QStringList names;
  for (int i = 0; i < history_.count(); ++i) names << PathText(history_.GetName(i));
  window_.SetRecentFileItems(names);
  if (history_.count() > 0) work_.SetFile(history_.GetPath(0), history_.GetName(0));
}

void FileCommands::TakeCommandLineFile(const QString& commandLine) {
  if (commandLine.isEmpty()) return;
  // Kept in the recent files, the path must still name the file when the program starts
  // from another folder.
  const std::string path =
      AbsolutePath(CommandLinePath(PathBytes(commandLine)), PathBytes(QDir::currentPath()));
  const std::optional<std::string> title = TitleFromPath(path);
  if (!title) return;
  work_.SetFile(path, *title);
  recent_.HistoryAdd(path);
}

void FileCommands::LoadStartupFile() {
  const std::string path = work_.FilePath();
  if (LoadCommandFile(path, false)) return;
  recent_.HistoryRemove(path);
  RebuildFileHistory();
  RebuildHistoryMenu();
  work_.SetFile({}, {});
}

}  // namespace vexa
