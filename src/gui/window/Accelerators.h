// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keyboard accelerators of the main window. Which table applies follows the keyboard focus of
// the command tree; the switch travels as a posted event (0x46E), so switches take effect in
// the order they were posted. The router sees every key press of the application and
// translates it only for the current window and its children.

#include <QEvent>
#include <QKeyCombination>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <span>

class QKeyEvent;

namespace vexa {

inline constexpr QEvent::Type kSetAccelEvent = static_cast<QEvent::Type>(0x46E);

struct AcceleratorBinding {
  QKeyCombination key;
  int command;
};

class AcceleratorTable {
 public:
  constexpr explicit AcceleratorTable(std::span<const AcceleratorBinding> bindings)
      : bindings_(bindings) {}
  // Shift, Ctrl and Alt must match exactly; keypad keys count as their plain keys.
  std::optional<int> CommandFor(const QKeyEvent& event) const;
  std::span<const AcceleratorBinding> Bindings() const { return bindings_; }

 private:
  std::span<const AcceleratorBinding> bindings_;
};

// While the command tree has the focus.
const AcceleratorTable& TableTree();
// Otherwise: Ctrl+O, Ctrl+S, Ctrl+T.
const AcceleratorTable& TableUnfocused();

// A window that carries out the commands its accelerators produce.
class AcceleratorTarget {
 public:
  virtual ~AcceleratorTarget() = default;
  // Greyed commands are swallowed without effect, as a greyed menu item would be.
  virtual void RunAcceleratorCommand(int command) = 0;
};

class SetAccelEvent : public QEvent {
 public:
  SetAccelEvent(QWidget* window, const AcceleratorTable* table)
      : QEvent(kSetAccelEvent), window_(window), table_(table) {}
  QWidget* Window() const { return window_; }
  const AcceleratorTable* Table() const { return table_; }

 private:
  QPointer<QWidget> window_;
  const AcceleratorTable* table_;
};

// Holds the current pair (window, table) and applies it to key presses.
class AcceleratorRouter : public QObject {
 public:
  AcceleratorRouter();  // watches the whole application
  ~AcceleratorRouter() override;

  QWidget* CurrentWindow() const { return window_; }
  const AcceleratorTable* CurrentTable() const { return table_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void customEvent(QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  const AcceleratorTable* table_ = nullptr;
};

// Posts (window, table) to the router; nothing when there is no router.
void PostSetAccel(QObject* router, QWidget* window, const AcceleratorTable* table);

}  // namespace vexa
