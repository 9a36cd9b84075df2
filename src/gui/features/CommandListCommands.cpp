#include "gui/features/CommandListCommands.h"

#include <utility>

#include "core/CommandIds.h"
#include "gui/window/Test3Dlg.h"
#include "gui/controls/CmdTree.h"
#include "gui/features/TreeCommands.h"
#include "gui/features/FileCommands.h"

namespace vexa {

CommandListCommands::CommandListCommands(CTest3Dlg& dialog) : dialog_(dialog) {
  dialog.SetCommandHandler(kCmdCommandList, [this] { Toggle(); });
}

CommandListCommands::~CommandListCommands() {
  if (!window_) return;
  dialog_.SetCommandList(nullptr);
  delete window_;
}

void CommandListCommands::Toggle() {
  if (dialog_.IsCommandChecked(kCmdCommandList)) {
    dialog_.SetCommandCheck(kCmdCommandList, false);
    Close();
    return;
  }
  dialog_.SetCommandCheck(kCmdCommandList, true);
  Open();
  dialog_.TreeEditing().RefillCommandList();
}

void CommandListCommands::Open() {
  if (window_) return;
  auto* window = new CCmdList(dialog_.CommandListOwner(), *this, dialog_.Prefs(),
                              dialog_.Files().FileTitle());
  // The owner may take the window with it at the end of the run.
  CommandListView* view = window;
  connect(window, &QObject::destroyed, this, [this, view] {
    if (dialog_.CommandList() == view) dialog_.SetCommandList(nullptr);
  });
  window_ = window;
  dialog_.SetCommandList(window);
  window->show();
}

void CommandListCommands::Close() {
  if (!window_) return;
  dialog_.SetCommandList(nullptr);
  std::exchange(window_, nullptr)->Destroy();
}

void CommandListCommands::SelectItemFromList(ItemHandle item) {
  if (!item) return;
  CCmdTree& tree = dialog_.Tree();
  tree.SelectItem(item);
  dialog_.activateWindow();
  tree.setFocus();
}

void CommandListCommands::CommandListClosed() {
  if (dialog_.IsCommandChecked(kCmdCommandList)) Toggle();
}

void CommandListCommands::customEvent(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != kSelectItemEvent && type != kListClosedEvent && type != kGetItemEvent) {
    QObject::customEvent(event);
    return;
  }
  auto* request = static_cast<CommandListEvent*>(event);
  if (type == kSelectItemEvent) {
    SelectItemFromList(request->Item());
  } else if (type == kListClosedEvent) {
    CommandListClosed();
  } else if (request->Item()) {
    request->SetRecord(dialog_.Tree().Record(request->Item()));
  }
}

}  // namespace vexa
