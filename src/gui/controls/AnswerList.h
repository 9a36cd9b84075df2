// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The answer list: every received line as one entry, the newest kept in view, at most 1001
// entries, lines cut where they would be wider than the list box allows, and a one-second
// hold while the operator scrolls so that reading back is not disturbed by arriving lines.
// Control bytes are drawn as small boxed hex codes, so a line always stays one line.

#include <QListView>
#include <QTimer>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

class AnswerModel;

class CAnswerList : public QListView {
  Q_OBJECT

 public:
  static constexpr int kWidthLimit = 32400;  // pixels, scroll bar included
  static constexpr int kTrimAbove = 1000;    // entries; the list settles at 1001
  static constexpr int kHoldMilliseconds = 1000;

  explicit CAnswerList(QWidget* parent = nullptr);
  ~CAnswerList() override;

  // Adds a received line (CP932 bytes) and returns its index.
  int AddLine(std::string_view line);
  // Adds a batch of lines as AddLine would, one after another. Lines that the batch itself
  // would push out at once are only measured for the longest line, never shown.
  void AddLines(const std::vector<std::string>& lines);
  // Deletes every entry and forgets the longest line.
  void Reset();
  // Cuts every entry again from its whole line with the current font.
  void Refit();

  // How many leading bytes of `line` are shown.
  std::size_t FitLength(std::string_view line) const;

  int Count() const;
  QString ShownText(int index) const;
  const std::string& WholeLine(int index) const;
  bool IsHolding() const { return holding_; }
  int HorizontalExtent() const { return extent_; }
  // The first entry in view, once the view has caught up with the lines just added.
  int TopIndex() const;
  // Entries that fit in the view without being cut off.
  int VisibleLines() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void updateGeometries() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int DrawnWidth(const QString& text) const;
  // An upper bound of one character's drawn width with the current font.
  int WidestCharacter() const;
  void ForgetCurrentAmongFirst(int count);
  int ScrollBarWidth() const;
  void UpdateExtent();
  void TakeLongest(std::string_view shownBytes);
  void Hold();
  void RestartHoldTimer();
  void ShowLastLine(int index);
  void OnScrollAction(int action);

  AnswerModel* model_;
  std::string longest_;  // the shown bytes of the longest entry added
  mutable QFont widestFor_;
  mutable int widest_ = 0;
  int extent_ = 0;
  bool holding_ = false;
  bool pressingScrollBar_ = false;
  int pendingTop_ = -1;
  QTimer holdTimer_;  // timer 3
};

}  // namespace vexa
