#include "gui/features/FileCommands.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <vector>

#include "core/CommandIds.h"
#include "gui/window/Test3Dlg.h"
#include "gui/controls/CmdTree.h"
#include "core/items/CommandListView.h"
#include "gui/features/TreeCommands.h"
#include "core/files/CommandFile.h"
#include "gui/seam/UiSeam.h"

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

FileCommands::FileCommands(CTest3Dlg& dialog)
    : dialog_(dialog),
      recent_(EntriesOf(dialog.Prefs().ReadHistory()), [&dialog](int index, std::string_view path) {
        dialog.Prefs().WriteHistoryEntry(index, path);
      }) {
  recent_.Load();
  dialog.SetCommandHandler(kCmdNewFile, [this] { NewCommandFile(); });
  dialog.SetCommandHandler(kCmdOpenFile, [this] { OpenCommandFile(); });
  dialog.SetCommandHandler(kCmdSaveAs, [this] { SaveCommandFileAs(); });
  dialog.SetCommandHandler(kCmdSave, [this] { SaveCurrentFile(); });
  for (int i = 0; i < kRecentFileCount; ++i) {
    dialog.SetCommandHandler(kCmdRecentFile0 + i, [this, i] { OpenHistoryEntry(i); });
  }
  DialogHooks& hooks = dialog.Hooks();
  hooks.takeCommandLineFile = [this](const QString& commandLine) {
    TakeCommandLineFile(commandLine);
  };
  hooks.rebuildFileHistory = [this] { RebuildFileHistory(); };
  hooks.rebuildHistoryMenu = [this] { RebuildHistoryMenu(); };
  hooks.loadStartupFile = [this] { LoadStartupFile(); };
  hooks.updateTitle = [this] { UpdateTitle(); };
  hooks.confirmSave = [this] { return ConfirmSave(); };
}

void FileCommands::MarkModified() {
  if (modified_) return;
  dialog_.SetTitlePart(dialog_.TitlePart() + QString::fromUtf8(kModifiedMark));
  modified_ = true;
}

void FileCommands::UpdateTitle() {
  QString part = dialog_.BaseTitle();
  if (!fileTitle_.empty()) part += QLatin1Char(' ') + PathText(fileTitle_);
  // Also when a new file has no title: the list must not keep naming the previous one.
  if (CommandListView* list = dialog_.CommandList()) list->SetFileTitle(fileTitle_);
  dialog_.SetTitlePart(part);
  modified_ = false;
}

bool FileCommands::ConfirmSave() {
  if (!modified_) return true;
  const QString question = fileTitle_.empty()
                               ? QString::fromUtf8(kChangedNewFileQuestion)
                               : QString::fromUtf8(kChangedFileQuestion).arg(PathText(fileTitle_));
  const ui::Answer answer = ui::ShowMessage(&dialog_, question, QString::fromUtf8(kAppName),
                                            ui::Icon::kWarning, ui::Buttons::kYesNoCancel);
  if (answer == ui::Answer::kCancel) return false;
  if (answer == ui::Answer::kYes) SaveCurrentFile();
  return true;
}

void FileCommands::NewCommandFile() {
  if (!ConfirmSave()) return;
  dialog_.Settings() = kDefaultCommSettings;
  dialog_.TreeEditing().DeleteAll();
  fileTitle_.clear();
  filePath_.clear();
  dialog_.SetTitlePart(dialog_.BaseTitle());
  UpdateTitle();
}

void FileCommands::OpenCommandFile() {
  if (!ConfirmSave()) return;
  std::string path;
  std::string title;
  if (!ChooseCommandFile(path, title, true)) return;
  if (!LoadCommandFile(path, true)) return;
  filePath_ = path;
  fileTitle_ = title;
  RememberInHistory(path);
  UpdateTitle();
}

void FileCommands::SaveCommandFileAs() {
  // The chosen name is the current file from here on, even when saving then fails.
  if (!ChooseCommandFile(filePath_, fileTitle_, false)) return;
  if (!SaveTo(filePath_)) return;
  UpdateTitle();
  RememberInHistory(filePath_);
}

void FileCommands::SaveCurrentFile() {
  if (fileTitle_.empty()) {
    SaveCommandFileAs();
    return;
  }
  if (SaveTo(filePath_)) UpdateTitle();
}

void FileCommands::OpenHistoryEntry(int index) {
  const std::string path = history_.GetPath(index);
  const std::string name = history_.GetName(index);
  if (!ConfirmSave()) return;
  if (LoadCommandFile(path, true)) {
    recent_.HistoryAdd(path);
    fileTitle_ = name;
    filePath_ = path;
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
  const std::optional<QString> chosen = ui::ChooseFile(&dialog_, request);
  if (!chosen) return false;
  const std::string chosenPath = PathBytes(*chosen);
  const std::optional<std::string> chosenTitle = TitleFromPath(chosenPath);
  if (!chosenTitle) return false;
  path = chosenPath;
  title = *chosenTitle;
  return true;
}

bool FileCommands::LoadCommandFile(const std::string& path, bool showMessages) {
  const CommandFileLoad load = vexa::LoadCommandFile(path, dialog_.Tree(), dialog_.Settings());
  if (load.readResult != kReadOk) {
    if (showMessages) ui::ShowFailure(&dialog_, LoadFailureMessage(load), kAppName);
    return false;
  }
  dialog_.TreeEditing().TreeLoaded(load.items, showMessages);
  return true;
}

bool FileCommands::SaveTo(const std::string& path) {
  const int result = SaveCommandFile(path, dialog_.Settings(), dialog_.Tree());
  if (result == kSaveOk) return true;
  ui::ShowFailure(&dialog_, SaveFailureMessage(result), kAppName);
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
  dialog_.SetRecentFileItems(names);
  if (history_.count() > 0) {
    fileTitle_ = history_.GetName(0);
    filePath_ = history_.GetPath(0);
  }
}

void FileCommands::TakeCommandLineFile(const QString& commandLine) {
  if (commandLine.isEmpty()) return;
  const std::string path = CommandLinePath(PathBytes(commandLine));
  const std::optional<std::string> title = TitleFromPath(path);
  if (!title) return;
  filePath_ = path;
  fileTitle_ = *title;
  recent_.HistoryAdd(path);
}

void FileCommands::LoadStartupFile() {
  if (LoadCommandFile(filePath_, false)) return;
  recent_.HistoryRemove(filePath_);
  RebuildFileHistory();
  RebuildHistoryMenu();
  filePath_.clear();
  fileTitle_.clear();
}

}  // namespace vexa
