// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's file dialog: Qt's own, never the desktop's. It shows files by their names
// alone (guessing a type from the content reads the file, and a read of /proc/kmsg never
// returns), never starts among the kernel's files (/proc, /sys, /dev), shows the initial name
// even when it is a pattern such as "*.log", and refuses a name whose folder does not exist.

#include <QFileDialog>
#include <memory>

class QAbstractFileIconProvider;

namespace vexa::ui {

struct FileRequest;

// Built before the dialog and gone after it: the dialog's file model asks the icons until
// the model itself is gone.
struct FileDialogIcons {
  FileDialogIcons();
  ~FileDialogIcons();
  std::unique_ptr<QAbstractFileIconProvider> provider;
};

class FileDialog : private FileDialogIcons, public QFileDialog {
 public:
  FileDialog(QWidget* parent, const FileRequest& request);

 protected:
  // A pattern in the name box names no file; a name in a folder that does not exist is
  // refused with a message. Either way the dialog stays open.
  void accept() override;
};

}  // namespace vexa::ui
