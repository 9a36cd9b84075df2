// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message box, file dialog, font dialog, context menu, help viewer and beep of the
// program goes through here. The program shows the real Qt dialogs; tests install an Answerer that
// answers from a script and keeps what would have been shown.

#include <QFont>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>

#include "core/MenuDescription.h"

class QFileDialog;
class QWidget;

namespace vexa::ui {

enum class Icon { kNone, kInformation, kWarning, kQuestion, kStop };
enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class Answer { kOk, kCancel, kYes, kNo };

struct MessageRequest {
  QString text;
  QString caption;
  Icon icon = Icon::kNone;
  Buttons buttons = Buttons::kOk;
};

struct FileRequest {
  enum class Mode { kOpen, kSave };
  Mode mode = Mode::kOpen;
  QString filter;            // Qt form: "TA情報ファイル (*.vxp)"
  QString initialName;       // "*.vxp" or a file name
  QString folder;            // empty: the dialog's own choice
  QString defaultExtension;  // without the dot
};

class Answerer {
 public:
  virtual ~Answerer() = default;
  virtual Answer Message(const MessageRequest& request) = 0;
  virtual std::optional<QString> File(const FileRequest& request) = 0;
  virtual std::optional<QFont> Font(const QFont& initial) = 0;
  virtual int Menu(const MenuDescription& menu, QPoint screenPoint) = 0;
  virtual bool OpenDocument(const QString& path) = 0;
  virtual void Beep() = 0;
};

// nullptr brings the real dialogs back.
void SetAnswerer(Answerer* answerer);

Answer ShowMessage(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                   Buttons buttons = Buttons::kOk);
// The chosen path, or nothing when the operator cancelled.
std::optional<QString> ChooseFile(QWidget* parent, const FileRequest& request);
// The dialog ChooseFile shows, set up for `request` but not shown.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileRequest& request);
// A font from the font dialog without its effects (underline, strike-out), or nothing. The
// dialog opens on the face `initial` is drawn with.
std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial);
// A failure as the program reports it: stop icon, OK; UTF-8 text and caption.
void ShowFailure(QWidget* parent, const char* text, const char* caption);
// Shows a context menu at a screen point until the operator chooses or dismisses it; the
// chosen entry's command id, or 0.
int TrackMenu(QWidget* parent, const MenuDescription& menu, QPoint screenPoint);
// Opens a local file with the desktop's viewer; false when that failed.
bool OpenDocument(const QString& path);
void Beep();

}  // namespace vexa::ui
