// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/FindBar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace vexa {
namespace {

QToolButton* Button(const char* text, const char* tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(QString::fromUtf8(text));
  button->setToolTip(QString::fromUtf8(tip));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

}  // namespace

CFindBar::CFindBar(QWidget* parent) : QWidget(parent) {
  field_ = new QLineEdit(this);
  field_->setPlaceholderText(QStringLiteral("検索する文字列"));
  previous_ = Button("▲", "前を検索 (Shift+F3)", this);
  next_ = Button("▼", "次を検索 (F3)", this);
  close_ = Button("✕", "閉じる (Esc)", this);
  matchCase_ = new QCheckBox(QStringLiteral("大文字と小文字を区別"), this);
  hex_ = new QCheckBox(QStringLiteral("HEX"), this);
  hex_->setToolTip(QStringLiteral("16進数のﾊﾞｲﾄ列として検索"));
  outcome_ = new QLabel(this);
  outcome_->setForegroundRole(QPalette::BrightText);
  QPalette red = outcome_->palette();
  red.setColor(QPalette::BrightText, QColor(0xc0, 0x20, 0x20));
  outcome_->setPalette(red);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 2, 0, 0);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(1);
  grid->addWidget(field_, 0, 0, 1, 3);
  grid->addWidget(previous_, 0, 3);
  grid->addWidget(next_, 0, 4);
  grid->addWidget(close_, 0, 5);
  grid->addWidget(matchCase_, 1, 0);
  grid->addWidget(hex_, 1, 1);
  grid->addWidget(outcome_, 1, 2, 1, 4);
  grid->setColumnStretch(2, 1);
  SetHexAvailable(false);
  setFocusProxy(field_);

  connect(previous_, &QToolButton::clicked, this, &CFindBar::findPrevious);
  connect(next_, &QToolButton::clicked, this, &CFindBar::findNext);
  connect(close_, &QToolButton::clicked, this, &CFindBar::closeRequested);
  connect(field_, &QLineEdit::textEdited, this, [this] { outcome_->clear(); });
  connect(hex_, &QCheckBox::toggled, this, &CFindBar::UpdateMatchCase);
}

FindQuery CFindBar::Query() const {
  return {field_->text(), matchCase_->isChecked(), hex_->isEnabled() && hex_->isChecked()};
}

void CFindBar::SetHexAvailable(bool available) {
  hex_->setEnabled(available);
  UpdateMatchCase();
}

// HEX digits have no case to match.
void CFindBar::UpdateMatchCase() {
  matchCase_->setEnabled(!(hex_->isEnabled() && hex_->isChecked()));
}

void CFindBar::ShowOutcome(Outcome outcome) {
  switch (outcome) {
    case Outcome::kFound:
      outcome_->clear();
      break;
    case Outcome::kNotFound:
      outcome_->setText(QStringLiteral("見つかりません"));
      break;
    case Outcome::kNotHex:
      outcome_->setText(QStringLiteral("16進数にできません"));
      break;
  }
}

QString CFindBar::OutcomeText() const {
  return outcome_->text();
}

void CFindBar::FocusField() {
  field_->setFocus(Qt::ShortcutFocusReason);
  field_->selectAll();
}

// The clear button's icon comes from the icon theme, whose first look-up reads the theme's
// folders and loads the image format plugins: the hidden bar leaves that out of the start.
void CFindBar::setVisible(bool visible) {
  if (visible && !field_->isClearButtonEnabled()) field_->setClearButtonEnabled(true);
  QWidget::setVisible(visible);
}

// The keys of the bar are its own: Enter must not reach the window (it would send), nor
// Escape (it would close the window).
void CFindBar::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const bool plain = modifiers == Qt::NoModifier;
  const bool shifted = modifiers == Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
      if (plain) {
        emit findNext();
        return;
      }
      if (shifted) {
        emit findPrevious();
        return;
      }
      break;
    case Qt::Key_Escape:
      if (plain) {
        emit closeRequested();
        return;
      }
      break;
    default:
      break;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace vexa
