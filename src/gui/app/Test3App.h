// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application: builds the main window and the features around it, wires them together,
// runs the window modally and ends when it closes. It holds the accelerator target that the
// main window switches with posted events, and answers the window's start-up and closing
// steps with its features.

#include <QString>
#include <QTranslator>
#include <memory>

#include "core/settings/Preferences.h"
#include "gui/window/Accelerators.h"
#include "gui/window/MainWindowSteps.h"

namespace vexa {

class AnswerListCommands;
class CDummyDlg;
class CTest3Dlg;
class CommandListCommands;
class FileCommands;
class LinkControl;
class SettingsCommands;
class TreeCommands;
class TreeDragDrop;
class Workspace;

class CTest3App final : private MainWindowSteps {
 public:
  CTest3App();  // needs the QApplication
  ~CTest3App() override;

  // Runs the main window with the text of the command line; returns the exit code.
  int Run(const QString& commandLine);

  // The start-up steps before the modal run: the hidden owner, the main window and its
  // features. For Run and for tests that drive the window.
  CTest3Dlg& CreateMainDialog(const QString& commandLine);
  // The features go first (the link stops), then the window, then the hidden owner.
  void DestroyMainDialog();

  AcceleratorRouter& Router() { return router_; }
  Preferences& Prefs() { return preferences_; }
  CDummyDlg* CommandListOwner() const { return owner_.get(); }

  // What the application built (while the main window exists).
  CTest3Dlg& Window() const { return *window_; }
  Workspace& Work() const;
  LinkControl& Link() const;
  TreeCommands& TreeEditing() const;
  FileCommands& Files() const;
  SettingsCommands& SettingsEditing() const;
  TreeDragDrop& DragDrop() const;
  CommandListCommands& CommandListWindow() const;
  AnswerListCommands& AnswerListView() const;

 private:
  struct Features;

  // MainWindowSteps; nothing once the features are gone.
  void TakeCommandLineFile(const QString& commandLine) override;
  void RebuildFileHistory() override;
  void RebuildHistoryMenu() override;
  void ReadLogName() override;
  void Disconnect() override;
  void LoadStartupFile() override;
  void UpdateTitle() override;
  void CreateItemEditor() override;
  bool ConfirmSave() override;
  void StopLogging() override;

  QTranslator qtTexts_;
  Preferences preferences_;
  AcceleratorRouter router_;
  std::unique_ptr<CDummyDlg> owner_;
  std::unique_ptr<CTest3Dlg> window_;
  std::unique_ptr<Features> features_;
};

}  // namespace vexa
