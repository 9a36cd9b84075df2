// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The steps of the main window's start-up and closing that belong to what the application
// built around it (the command file, the log, the link). The window calls them at their place
// in its own sequence; the application answers them.

class QString;

namespace vexa {

class MainWindowSteps {
 public:
  virtual ~MainWindowSteps() = default;

  // Start-up, in the order of OnInitDialog.
  virtual void TakeCommandLineFile(const QString& commandLine) = 0;  // a ".vxp" argument
  virtual void RebuildFileHistory() = 0;
  virtual void RebuildHistoryMenu() = 0;  // also run by MenuSetup
  virtual void ReadLogName() = 0;
  virtual void Disconnect() = 0;       // the disconnected state; also the last closing step
  virtual void LoadStartupFile() = 0;  // silently; an empty tree when it fails
  virtual void UpdateTitle() = 0;
  virtual void CreateItemEditor() = 0;

  // Closing, in the order of SaveLayoutAndClose (Disconnect comes last).
  virtual bool ConfirmSave() = 0;  // false: the operator cancelled, the window stays
  virtual void StopLogging() = 0;  // closes the log and stores its name
};

}  // namespace vexa
