// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The answer list: every received line as one entry, the newest kept in view, at most 1001
// entries, lines cut where they would be wider than the list box allows, and a one-second
// hold while the operator scrolls so that reading back is not disturbed by arriving lines.
// Control bytes are drawn as small boxed hex codes, so a line always stays one line.
//
// Beyond that: each entry keeps when it happened, and may be a write to the link, drawn after
// the mark of its origin; the times are drawn before the lines on request. Lines can be
// selected, copied and searched; a selection or a shown match holds the view for as long as
// it lasts.

#include <QListView>
#include <QPersistentModelIndex>
#include <QTimer>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/RecordTag.h"
#include "core/workspace/PendingLines.h"

namespace vexa {

class AnswerModel;

// A line on its way into the list.
struct AnswerLine {
  std::string text;  // the display form (CP932): text, or HEX digits
  WallTime time{};
  RecordOrigin origin = RecordOrigin::kReceived;
  bool hex = false;  // `text` is a HEX display
};

struct FindQuery {
  QString text;
  bool matchCase = false;
  // `text` is pairs of HEX digits, found in HEX lines only and only where a byte begins.
  bool hex = false;
};

// A match in the shown text of an entry.
struct FindMatch {
  int row = 0;
  qsizetype start = 0;
  qsizetype length = 0;
};

class CAnswerList : public QListView {
  Q_OBJECT

 public:
  static constexpr int kWidthLimit = 32400;  // pixels, scroll bar included
  static constexpr int kTrimAbove = 1000;    // entries; the list settles at 1001
  static constexpr int kHoldMilliseconds = 1000;
  // A selection or a shown match holds for as long as it lasts, and a scroll bar for as long as
  // it is pressed, but never keeps more entries than this: beyond it the oldest go while the
  // view stays on its lines. A flood held without a limit would fill the memory.
  static constexpr int kHeldLimit = 20000;

  explicit CAnswerList(QWidget* parent = nullptr);
  ~CAnswerList() override;

  // Adds a received line (CP932 bytes) and returns its index.
  int AddLine(std::string_view line);
  // Adds a batch of lines as AddLine would, one after another. Lines that the batch itself
  // would push out at once are only measured for the longest line, never shown.
  void AddLines(const PendingLines& lines);
  void AddLines(const std::vector<AnswerLine>& lines);
  // Deletes every entry and forgets the longest line.
  void Reset();
  // Cuts every entry again from its whole line with the current font.
  void Refit();

  // How many leading bytes of `line` are shown when `prefixWidth` pixels come before it.
  std::size_t FitLength(std::string_view line, int prefixWidth = 0) const;

  int Count() const;
  QString ShownText(int index) const;
  const std::string& WholeLine(int index) const;
  bool IsHolding() const { return holding_ || HeldBySelectionOrMatch(); }
  int HorizontalExtent() const { return extent_; }
  // The first entry in view, once the view has caught up with the lines just added.
  int TopIndex() const;
  // Entries that fit in the view without being cut off.
  int VisibleLines() const;

  // Arrival times before the lines ("HH:MM:SS.mmm", local time).
  void SetTimesShown(bool shown);
  bool TimesShown() const { return timesShown_; }
  WallTime TimeOf(int index) const;
  RecordOrigin OriginOf(int index) const;
  // A line as the operator sees it, as plain text: its time when times are shown, the mark
  // of a sent line, control bytes as their Unicode pictures.
  QString LineAsShown(int index) const;
  // The selected lines in list order, as shown, one per line.
  QString SelectedText() const;
  // Puts SelectedText on the clipboard; nothing when no line is selected.
  void CopySelection() const;

  // The next match after the one shown (forward) or before it, going round the list; without
  // a shown match the search starts from the lines in view. Nothing when no line matches.
  std::optional<FindMatch> Find(const FindQuery& query, bool forward) const;
  // Highlights every match of `query`, scrolls `match` into view and holds the view there.
  void ShowMatch(const FindQuery& query, const FindMatch& match);
  // Drops the highlights and the shown match; the view follows new lines again.
  void EndFind();
  std::optional<FindMatch> ShownMatch() const;
  // Matches of the highlighted query in an entry's shown text, in order.
  std::vector<FindMatch> HighlightsIn(int row) const;
  // While the find bar is open, F3 and Escape in the list belong to it.
  void SetFindOpen(bool open) { findOpen_ = open; }

  // The pixels drawn before an entry's text: its time, the mark of a sent line.
  int PrefixWidth(RecordOrigin origin) const;

 signals:
  void findRequested();                   // Ctrl+F
  void findAgainRequested(bool forward);  // F3, Shift+F3 while the find bar is open
  void findCloseRequested();              // Escape while the find bar is open

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void updateGeometries() override;
  void doItemsLayout() override;
  bool viewportEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;

 private:
  int DrawnWidth(const QString& text) const;
  // An upper bound of one character's drawn width with the current font.
  int WidestCharacter() const;
  void MeasurePrefixes() const;
  void ForgetCurrentAmongFirst(int count);
  int ScrollBarWidth() const;
  // FitLength with `reservedWidth` pixels taken by the prefix and the scroll bar.
  std::size_t FitLengthWithin(std::string_view line, int reservedWidth) const;
  void UpdateExtent();
  void TakeLongest(std::string_view shownBytes);
  // How many of the oldest entries leave as `added` lines come to `count`.
  std::size_t Surplus(std::size_t count, std::size_t added) const;
  // Removes the oldest entries; a held view stays on the lines it shows.
  void RemoveOldest(int count);
  bool HeldBySelectionOrMatch() const;
  void Hold();
  void RestartHoldTimer();
  void ShowLastLine(int index);
  void ShowRowAndColumn(int row, int x);
  void OnScrollAction(int action);

  // What the view shows after a layout, so that the next layout can move those pixels rather
  // than draw every row again.
  struct Picture {
    int top = 0;
    int left = 0;
    int rows = 0;
    int rowHeight = 0;
    int extent = 0;
    QSize size;
  };
  Picture CurrentPicture() const;
  void RepaintAfterLayout(const std::optional<Picture>& before, int removed);

  AnswerModel* model_;
  std::string longest_;  // the shown bytes of the longest entry added
  mutable QFont widestFor_;
  mutable int widest_ = 0;
  mutable QFont prefixesFor_;
  mutable int timeWidth_ = 0;  // "HH:MM:SS.mmm" and a gap
  mutable int markWidth_ = 0;  // the widest mark of a sent line and a space
  int extent_ = 0;
  bool holding_ = false;  // for a second after the operator scrolled
  bool pressingScrollBar_ = false;
  int pendingTop_ = -1;
  bool timesShown_ = false;
  bool hasSent_ = false;  // since the last Reset
  std::optional<FindQuery> highlight_;
  QPersistentModelIndex matchRow_;
  qsizetype matchStart_ = 0;
  qsizetype matchLength_ = 0;
  bool findOpen_ = false;
  QTimer holdTimer_;                // timer 3
  std::optional<Picture> picture_;  // nothing while the pixels in view are not known
  int removedSincePicture_ = 0;     // the oldest entries, gone since
  bool changedSincePicture_ = false;
};

}  // namespace vexa
