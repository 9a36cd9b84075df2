#include "gui/app/Test3App.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "gui/seam/DialogUnits.h"
#include "gui/window/DummyDlg.h"
#include "gui/window/Test3Dlg.h"

namespace vexa {

CTest3App::CTest3App() {
  InstallFontSubstitutions();
  // Qt's own dialogs (file, font) in Japanese, when the translations are installed.
  if (qtTexts_.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&qtTexts_);
  }
}

CTest3App::~CTest3App() = default;

std::unique_ptr<CTest3Dlg> CTest3App::CreateMainDialog(const QString& commandLine) {
  owner_ = std::make_unique<CDummyDlg>();
  auto dialog = std::make_unique<CTest3Dlg>();
  dialog->SetCommandLine(commandLine);
  dialog->SetCommandListOwner(owner_.get());
  dialog->SetAcceleratorRouter(&router_);
  return dialog;
}

int CTest3App::Run(const QString& commandLine) {
  std::unique_ptr<CTest3Dlg> dialog = CreateMainDialog(commandLine);
  dialog->DoModal();
  owner_.reset();
  dialog.reset();
  return 0;
}

}  // namespace vexa
