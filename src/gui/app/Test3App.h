#pragma once
// The application: starts the main window, runs it modally, and ends when it closes. It holds
// the accelerator target that the main window switches with posted events.

#include <QString>
#include <QTranslator>
#include <memory>

#include "gui/window/Accelerators.h"

namespace vexa {

class CDummyDlg;
class CTest3Dlg;

class CTest3App {
 public:
  CTest3App();  // needs the QApplication
  ~CTest3App();

  // Runs the main window with the text of the command line; returns the exit code.
  int Run(const QString& commandLine);

  // The start-up steps before the modal run, for Run and for tests that drive the window.
  std::unique_ptr<CTest3Dlg> CreateMainDialog(const QString& commandLine);

  AcceleratorRouter& Router() { return router_; }
  CDummyDlg* CommandListOwner() const { return owner_.get(); }

 private:
  QTranslator qtTexts_;
  AcceleratorRouter router_;
  std::unique_ptr<CDummyDlg> owner_;
};

}  // namespace vexa
