// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/CmdEdit.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/controls/CmdEditBox.h"
#include "gui/seam/DialogUnits.h"
#include "gui/seam/QtText.h"

namespace vexa {

CCmdEdit::CCmdEdit(QWidget* window, QObject* owner)
    : QWidget(window, Qt::Tool | Qt::FramelessWindowHint),
      field_(new CCmdEditBox(this)),
      owner_(owner) {
  setFont(DialogFont());
  QFont fixed = field_->font();
  fixed.setFamily(QString::fromUtf8(kFixedFace));
  field_->setFont(fixed);
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->addWidget(field_);
  resize(DialogUnits(font()).Size(329, 12));
  field_->installEventFilter(this);
  connect(field_, &QLineEdit::textChanged, this, [this] {
    if (active_) changed_ = 1;
  });
}

CCmdEdit::~CCmdEdit() {
  // Being destroyed is no reason to report an edit.
  active_ = 0;
  field_->removeEventFilter(this);
}

void CCmdEdit::OpenEditor(const QRect& screenRect, std::string_view text) {
  text_.assign(text);
  const QString shown = ToQString(text);
  // A longer stored line is shown whole; only typing is limited.
  field_->setMaxLength(std::max(kMaxTextLength, static_cast<int>(shown.size())));
  field_->ResetText(shown);
  const int height = std::max(screenRect.height(), field_->minimumSizeHint().height());
  setGeometry(screenRect.x(), screenRect.y(), screenRect.width() + 5, height);
  changed_ = 0;
  active_ = 1;
  show();
  raise();
  activateWindow();
  field_->setFocus();
  field_->selectAll();
}

bool CCmdEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched != field_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      CloseEditor(CloseBy::kEnter);
      return true;
    }
    if (key == Qt::Key_Escape) {
      CloseEditor(CloseBy::kEscape);
      return true;
    }
  } else if (event->type() == QEvent::FocusOut &&
             static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
    // The field's own menu takes the focus for a moment; that does not close the editor.
    CloseEditor(CloseBy::kFocusLoss);
  }
  return false;
}

void CCmdEdit::CloseEditor(CloseBy how) {
  if (how == CloseBy::kEscape) changed_ = 0;
  if (!active_) return;
  active_ = 0;
  if (changed_) text_ = ToCp932(field_->text());
  hide();
  // Enter and Escape hand the keyboard back to the window the editor lies over.
  if (how != CloseBy::kFocusLoss && parentWidget()) parentWidget()->activateWindow();
  EditDoneEvent done(changed_ != 0);
  QCoreApplication::sendEvent(owner_, &done);
}

}  // namespace vexa
