// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/Test3App.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "core/workspace/Workspace.h"
#include "gui/controls/CmdTree.h"
#include "gui/features/AnswerListCommands.h"
#include "gui/features/CommandListCommands.h"
#include "gui/features/FileCommands.h"
#include "gui/features/LinkControl.h"
#include "gui/features/LinkEvents.h"
#include "gui/features/SettingsCommands.h"
#include "gui/features/TreeCommands.h"
#include "gui/features/TreeDragDrop.h"
#include "gui/seam/DialogUnits.h"
#include "gui/window/DummyDlg.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {

// Built after the window, whose controls they use; each gets only what it needs.
struct CTest3App::Features {
  Features(CTest3Dlg& window, Preferences& preferences, QWidget& listOwner)
      : work(window.Tree(), linkEvents, preferences.PortMappingLookup()),
        link(window, work, linkEvents, preferences),
        tree(window, work, link),
        files(window, work, tree, preferences),
        settings(window, work, link),
        dragDrop(window, work),
        commandList(window, work, preferences, listOwner),
        answerList(window, work, preferences) {}

  LinkEvents linkEvents;
  Workspace work;
  LinkControl link;
  TreeCommands tree;
  FileCommands files;
  SettingsCommands settings;
  TreeDragDrop dragDrop;
  CommandListCommands commandList;
  AnswerListCommands answerList;
};

CTest3App::CTest3App() : preferences_(Preferences::ForCurrentUser()) {
  InstallFontSubstitutions();
  // Qt's own dialogs (file, font) in Japanese, when the translations are installed.
  if (qtTexts_.load(QStringLiteral("qtbase_ja"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&qtTexts_);
  }
}

CTest3App::~CTest3App() {
  DestroyMainDialog();
}

CTest3Dlg& CTest3App::CreateMainDialog(const QString& commandLine) {
  owner_ = std::make_unique<CDummyDlg>();
  MainWindowSteps& steps = *this;
  window_ = std::make_unique<CTest3Dlg>(preferences_, steps);
  window_->SetCommandLine(commandLine);
  window_->SetAcceleratorRouter(&router_);
  features_ = std::make_unique<Features>(*window_, preferences_, *owner_);
  return *window_;
}

void CTest3App::DestroyMainDialog() {
  features_.reset();
  window_.reset();
  owner_.reset();
}

int CTest3App::Run(const QString& commandLine) {
  CreateMainDialog(commandLine).DoModal();
  // The hidden owner goes before the main window, taking the command list window with it.
  owner_.reset();
  DestroyMainDialog();
  return 0;
}

Workspace& CTest3App::Work() const {
  return features_->work;
}
LinkControl& CTest3App::Link() const {
  return features_->link;
}
TreeCommands& CTest3App::TreeEditing() const {
  return features_->tree;
}
FileCommands& CTest3App::Files() const {
  return features_->files;
}
SettingsCommands& CTest3App::SettingsEditing() const {
  return features_->settings;
}
TreeDragDrop& CTest3App::DragDrop() const {
  return features_->dragDrop;
}
CommandListCommands& CTest3App::CommandListWindow() const {
  return features_->commandList;
}
AnswerListCommands& CTest3App::AnswerListView() const {
  return features_->answerList;
}

void CTest3App::TakeCommandLineFile(const QString& commandLine) {
  if (features_) features_->files.TakeCommandLineFile(commandLine);
}
void CTest3App::RebuildFileHistory() {
  if (features_) features_->files.RebuildFileHistory();
}
void CTest3App::RebuildHistoryMenu() {
  if (features_) features_->files.RebuildHistoryMenu();
}
void CTest3App::ReadLogName() {
  if (features_) features_->link.ReadLogName();
}
void CTest3App::Disconnect() {
  if (features_) features_->link.Disconnect();
}
void CTest3App::LoadStartupFile() {
  if (features_) features_->files.LoadStartupFile();
}
void CTest3App::UpdateTitle() {
  if (features_) features_->files.UpdateTitle();
}
void CTest3App::CreateItemEditor() {
  if (features_) features_->tree.CreateItemEditor();
}
bool CTest3App::ConfirmSave() {
  return !features_ || features_->files.ConfirmSave();
}
void CTest3App::StopLogging() {
  if (features_) features_->link.StopLogging();
}

}  // namespace vexa
