// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers message boxes and dialogs from a script and keeps what was shown.

#include <QFont>
#include <QString>
#include <deque>
#include <optional>
#include <vector>

#include "gui/seam/UiSeam.h"

namespace vexa::test {

class ScriptedUi : public ui::Answerer {
 public:
  ScriptedUi() { ui::SetAnswerer(this); }
  ~ScriptedUi() override { ui::SetAnswerer(nullptr); }
  ScriptedUi(const ScriptedUi&) = delete;
  ScriptedUi& operator=(const ScriptedUi&) = delete;

  // Answers given in order; without one, a message is answered with its first button and a
  // dialog is cancelled.
  std::deque<ui::Answer> messageAnswers;
  std::deque<std::optional<QString>> fileAnswers;
  std::deque<std::optional<QFont>> fontAnswers;
  std::deque<int> menuAnswers;  // command ids; without one, the menu is dismissed
  bool documentOpens = true;

  std::vector<ui::MessageRequest> messages;
  std::vector<ui::FileRequest> fileRequests;
  std::vector<QFont> fontRequests;
  struct ShownMenu {
    MenuDescription entries;
    QPoint screenPoint;
  };
  std::vector<ShownMenu> menus;
  std::vector<QString> openedDocuments;
  int beeps = 0;

  ui::Answer Message(const ui::MessageRequest& request) override {
    messages.push_back(request);
    if (!messageAnswers.empty()) return Pop(messageAnswers);
    return request.buttons == ui::Buttons::kYesNo || request.buttons == ui::Buttons::kYesNoCancel
               ? ui::Answer::kYes
               : ui::Answer::kOk;
  }
  std::optional<QString> File(const ui::FileRequest& request) override {
    fileRequests.push_back(request);
    return fileAnswers.empty() ? std::nullopt : Pop(fileAnswers);
  }
  std::optional<QFont> Font(const QFont& initial) override {
    fontRequests.push_back(initial);
    return fontAnswers.empty() ? std::nullopt : Pop(fontAnswers);
  }
  int Menu(const MenuDescription& menu, QPoint screenPoint) override {
    menus.push_back({menu, screenPoint});
    return menuAnswers.empty() ? 0 : Pop(menuAnswers);
  }
  bool OpenDocument(const QString& path) override {
    openedDocuments.push_back(path);
    return documentOpens;
  }
  void Beep() override { ++beeps; }

 private:
  template <typename T>
  static T Pop(std::deque<T>& queue) {
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
  }
};

}  // namespace vexa::test
