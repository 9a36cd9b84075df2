// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's file commands: 新規作成, 開く, 名前をつけて保存, 上書き保存 and the
// recent files; the modified mark in the title; the question before unsaved work is dropped;
// the file named on the command line and the silent reload of the newest recent file at
// start-up. Paths and file titles stay in the file system's encoding.

#include <QString>
#include <string>

#include "core/files/FileHistory.h"
#include "gui/features/FeatureInterfaces.h"

namespace vexa {

class CTest3Dlg;
class Preferences;
class Workspace;

class FileCommands {
 public:
  // Reads the recent files from the preferences and attaches the file commands to `window`.
  // The first change after a load or save adds "(更新)" to the window's title.
  FileCommands(CTest3Dlg& window, Workspace& work, TreeReload& tree, Preferences& preferences);

  // Title: base title, then a blank and the file title when there is one; not modified,
  // unless the current file was read only in part.
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
  // Start-up: the ".vxp" path of the command line becomes the current file and the newest
  // recent file; then the current file is loaded silently (dropped from the list when it
  // cannot be).
  void TakeCommandLineFile(const QString& commandLine);
  void LoadStartupFile();

  const RecentFiles& Recent() const { return recent_; }

 private:
  void RememberInHistory(const std::string& path);
  bool SaveTo(const std::string& path);

  CTest3Dlg& window_;
  Workspace& work_;
  TreeReload& tree_;
  RecentFiles recent_;
  CFileHistory history_;
};

}  // namespace vexa
