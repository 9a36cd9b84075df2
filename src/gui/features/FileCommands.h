#pragma once
// The main window's file commands: 新規作成, 開く, 名前をつけて保存, 上書き保存 and the
// recent files; the modified mark in the title; the question before unsaved work is dropped;
// the file named on the command line and the silent reload of the newest recent file at
// start-up. Paths and file titles stay in the file system's encoding.

#include <QString>
#include <string>

#include "core/files/FileHistory.h"

namespace vexa {

class CTest3Dlg;

class FileCommands {
 public:
  // Reads the recent files from the preferences and attaches the file commands and the
  // start-up and closing steps to `dialog`.
  explicit FileCommands(CTest3Dlg& dialog);

  // The first change after a load or save adds "(更新)" to the title.
  void MarkModified();
  // Title: base title, then a blank and the file title when there is one; not modified.
  void UpdateTitle();
  // Asks before unsaved work is dropped; false when the operator cancelled.
  bool ConfirmSave();

  void NewCommandFile();
  void OpenCommandFile();
  void SaveCommandFileAs();
  void SaveCurrentFile();
  // Recent file `index` (0 = newest); a file that no longer loads leaves the list.
  void OpenHistoryEntry(int index);

  // The file dialog; on true `path` and `title` hold the chosen ".vxp"/".VXP" file.
  bool ChooseCommandFile(std::string& path, std::string& title, bool forOpening);
  // Replaces settings and tree by the file's; false (all untouched) when it cannot be read.
  bool LoadCommandFile(const std::string& path, bool showMessages);
  void RebuildFileHistory();
  void RebuildHistoryMenu();

  bool IsModified() const { return modified_; }
  const std::string& FileTitle() const { return fileTitle_; }
  const std::string& FilePath() const { return filePath_; }
  const RecentFiles& Recent() const { return recent_; }

 private:
  void TakeCommandLineFile(const QString& commandLine);
  void LoadStartupFile();
  void RememberInHistory(const std::string& path);
  bool SaveTo(const std::string& path);

  CTest3Dlg& dialog_;
  std::string fileTitle_;
  std::string filePath_;
  bool modified_ = false;
  RecentFiles recent_;
  CFileHistory history_;
};

}  // namespace vexa
