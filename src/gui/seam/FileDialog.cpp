// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/FileDialog.h"

#include <QDir>
#include <QFileIconProvider>
#include <QMimeDatabase>

#include "gui/seam/UiSeam.h"

namespace vexa::ui {
namespace {

constexpr char kNoSuchFolder[] = "%1\nパスが存在しません。\nパスを確認してからやり直してください。";

// Icons and type names from the file's name; folders and other non-files as Qt shows them
// (without reading anything).
class NameOnlyIconProvider : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;

  QIcon icon(const QFileInfo& info) const override {
    if (!info.isFile()) return QFileIconProvider::icon(info.isDir() ? Folder : File);
    const QMimeType type = TypeByName(info);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), icon(File)));
  }
  QString type(const QFileInfo& info) const override {
    if (!info.isFile()) return QFileIconProvider::type(info);
    const QMimeType type = TypeByName(info);
    return type.comment().isEmpty() ? type.name() : type.comment();
  }

 private:
  QMimeType TypeByName(const QFileInfo& info) const {
    return types_.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
  }
  QMimeDatabase types_;
};

bool IsSystemFolder(const QString& folder) {
  const QString real = QFileInfo(folder).canonicalFilePath();
  for (const QString& system :
       {QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev")}) {
    if (real == system || real.startsWith(system + QLatin1Char('/'))) return true;
  }
  return false;
}

bool IsPattern(const QString& name) {
  return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

}  // namespace

FileDialogIcons::FileDialogIcons() : provider(std::make_unique<NameOnlyIconProvider>()) {}
FileDialogIcons::~FileDialogIcons() = default;

FileDialog::FileDialog(QWidget* parent, const FileRequest& request)
    : QFileDialog(parent, QString(), request.folder, request.filter) {
  // Before anything else: the desktop's dialog guesses types its own way, and the file model
  // asks its icons only once events are handled.
  setOption(DontUseNativeDialog);
  setIconProvider(provider.get());
  // Without a folder of its own the dialog starts where the last one ended, which may be
  // anywhere.
  if (IsSystemFolder(directory().absolutePath())) setDirectory(QDir::homePath());
  const bool open = request.mode == FileRequest::Mode::kOpen;
  setAcceptMode(open ? AcceptOpen : AcceptSave);
  setFileMode(open ? ExistingFile : AnyFile);
  setOption(DontConfirmOverwrite);
  setDefaultSuffix(request.defaultExtension);
  if (!request.initialName.isEmpty()) selectFile(request.initialName);
}

void FileDialog::accept() {
  const QStringList chosen = selectedFiles();
  if (!chosen.isEmpty()) {
    const QFileInfo file(chosen.constFirst());
    if (IsPattern(file.fileName())) return;
    if (!file.dir().exists()) {
      ShowMessage(this, QString::fromUtf8(kNoSuchFolder).arg(file.filePath()), windowTitle(),
                  Icon::kWarning);
      return;
    }
  }
  QFileDialog::accept();
}

}  // namespace vexa::ui
