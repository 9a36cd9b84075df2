// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The item editor: a borderless window with one edit field that the main window lays over a
// tree item's label. Enter, Escape or the field losing the focus close it, and it tells its
// owner whether the text was changed (EditDoneEvent, the window message 0x4A0).

#include <QEvent>
#include <QWidget>
#include <string>
#include <string_view>

namespace vexa {

class CCmdEditBox;

inline constexpr QEvent::Type kEditDoneEvent = static_cast<QEvent::Type>(0x4A0);

class EditDoneEvent : public QEvent {
 public:
  explicit EditDoneEvent(bool changed) : QEvent(kEditDoneEvent), changed_(changed) {}
  // 1: apply the editor's EditedText to the item; 0: only forget the item.
  bool Changed() const { return changed_; }

 private:
  bool changed_;
};

class CCmdEdit : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxTextLength = 65536;

  // Hidden until opened; stays above `window`; `owner` receives the EditDoneEvent.
  CCmdEdit(QWidget* window, QObject* owner);
  ~CCmdEdit() override;

  // Shows `text` (CP932) over `screenRect`, widened by 5 pixels, with the field focused.
  void OpenEditor(const QRect& screenRect, std::string_view text);
  // The text read from the field when it closed changed (CP932).
  const std::string& EditedText() const { return text_; }
  bool IsOpen() const { return active_ != 0; }
  CCmdEditBox& Field() const { return *field_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class CloseBy { kEnter, kEscape, kFocusLoss };
  void CloseEditor(CloseBy how);

  CCmdEditBox* field_;
  QObject* owner_;
  std::string text_;
  int changed_ = 0;
  int active_ = 0;
};

}  // namespace vexa
