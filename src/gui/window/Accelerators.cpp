// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/Accelerators.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "core/CommandIds.h"

namespace vexa {
namespace {

constexpr QKeyCombination Ctrl(Qt::Key key) {
  return QKeyCombination(Qt::ControlModifier, key);
}
constexpr QKeyCombination Plain(Qt::Key key) {
  return QKeyCombination(key);
}

constexpr AcceleratorBinding kTreeBindings[] = {
    {Ctrl(Qt::Key_O), kCmdOpenFile},
    {Ctrl(Qt::Key_S), kCmdSave},
    {Ctrl(Qt::Key_T), kCmdSend},
    {Ctrl(Qt::Key_I), kCmdInsert},
    {Plain(Qt::Key_Insert), kCmdInsert},
    {Ctrl(Qt::Key_C), kCmdInsertChild},
    {Ctrl(Qt::Key_D), kCmdDelete},
    {Plain(Qt::Key_Delete), kCmdDelete},
    {Ctrl(Qt::Key_F), kCmdDefaultSet},
    {Ctrl(Qt::Key_H), kCmdHexData},
    {Ctrl(Qt::Key_A), kCmdTextData},
    {Ctrl(Qt::Key_P), kCmdItemDetails},
    {Plain(Qt::Key_F2), kCmdEditItem},
    {Ctrl(Qt::Key_End), kCmdSelectLast},
    {Ctrl(Qt::Key_Home), kCmdSelectFirst},
    {QKeyCombination(Qt::ShiftModifier, Qt::Key_F10), kCmdContextMenuKey},
};
constexpr AcceleratorBinding kUnfocusedBindings[] = {
    {Ctrl(Qt::Key_O), kCmdOpenFile},
    {Ctrl(Qt::Key_S), kCmdSave},
    {Ctrl(Qt::Key_T), kCmdSend},
};

constexpr AcceleratorTable kTableTree{kTreeBindings};
constexpr AcceleratorTable kTableUnfocused{kUnfocusedBindings};

constexpr Qt::KeyboardModifiers kCompared =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

}  // namespace

const AcceleratorTable& TableTree() {
  return kTableTree;
}
const AcceleratorTable& TableUnfocused() {
  return kTableUnfocused;
}

std::optional<int> AcceleratorTable::CommandFor(const QKeyEvent& event) const {
  const QKeyCombination pressed(event.modifiers() & kCompared, static_cast<Qt::Key>(event.key()));
  for (const AcceleratorBinding& binding : bindings_) {
    if (binding.key == pressed) return binding.command;
  }
  return std::nullopt;
}

AcceleratorRouter::AcceleratorRouter() {
  QCoreApplication::instance()->installEventFilter(this);
}

AcceleratorRouter::~AcceleratorRouter() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool AcceleratorRouter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !window_ || !table_) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || (widget != window_ && !window_->isAncestorOf(widget))) return false;
  const auto command = table_->CommandFor(*static_cast<QKeyEvent*>(event));
  auto* target = dynamic_cast<AcceleratorTarget*>(window_.data());
  if (!command || !target) return false;
  target->RunAcceleratorCommand(*command);
  return true;
}

void AcceleratorRouter::customEvent(QEvent* event) {
  if (event->type() != kSetAccelEvent) return;
  const auto* set = static_cast<SetAccelEvent*>(event);
  window_ = set->Window();
  table_ = set->Table();
}

void PostSetAccel(QObject* router, QWidget* window, const AcceleratorTable* table) {
  if (router) QCoreApplication::postEvent(router, new SetAccelEvent(window, table));
}

}  // namespace vexa
