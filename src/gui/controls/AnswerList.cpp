// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/AnswerList.h"

#include <QAbstractListModel>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <chrono>
#include <iterator>

#include "core/codec/Codec.h"
#include "core/codec/Cp932.h"
#include "core/codec/TimeText.h"
#include "gui/controls/PlainGlyphs.h"
#include "gui/controls/ShapedTexts.h"
#include "gui/controls/SteadyScrollBar.h"
#include "gui/seam/QtText.h"

namespace vexa {
namespace {

bool IsControl(QChar c) {
  return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

bool HasControl(const QString& text) {
  return std::any_of(text.begin(), text.end(), IsControl);
}

// A control byte is drawn as its two hex digits in a thin box.
int ControlBoxWidth(const QFontMetrics& metrics) {
  return metrics.horizontalAdvance(QStringLiteral("00")) + 4;
}

// Calls plain(run) for every run of ordinary characters and control(c) for every control byte.
template <typename Plain, typename Control>
void ForEachRun(const QString& text, Plain plain, Control control) {
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !IsControl(text[i])) continue;
    if (i > start) plain(QStringView(text).mid(start, i - start));
    if (i < text.size()) control(text[i]);
    start = i + 1;
  }
}

int LineWidth(const QFontMetrics& metrics, const QString& text) {
  if (!HasControl(text)) return metrics.horizontalAdvance(text);
  int width = 0;
  ForEachRun(
      text, [&](QStringView run) { width += metrics.horizontalAdvance(run.toString()); },
      [&](QChar) { width += ControlBoxWidth(metrics); });
  return width;
}

constexpr int kTextMargin = 2;

int Baseline(const QFontMetrics& metrics, const QRect& rect) {
  return rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
}

QString PrintableAscii() {
  QString characters;
  for (char16_t c = 0x20; c < 0x7F; ++c) characters += QChar(c);
  return characters;
}

// Draws `text` from `left` on the row `rect`.
void DrawLine(QPainter& painter, const QRect& rect, int left, const QString& text,
              const QColor& color, PlainGlyphs& plain) {
  const QFontMetrics metrics(painter.font());
  const int baseline = Baseline(metrics, rect);
  painter.setPen(color);
  if (!HasControl(text)) {
    if (const QGlyphRun glyphs = plain.Compose(painter, text); !glyphs.isEmpty()) {
      painter.drawGlyphRun(QPointF(left, baseline), glyphs);
    } else {
      painter.drawText(left, baseline, text);
    }
    return;
  }
  QFont small = painter.font();
  small.setPointSizeF(std::max(1.0, painter.font().pointSizeF() * 0.7));
  if (painter.font().pixelSize() > 0)
    small.setPixelSize(std::max(1, painter.font().pixelSize() * 7 / 10));
  int x = left;
  const int boxWidth = ControlBoxWidth(metrics);
  ForEachRun(
      text,
      [&](QStringView run) {
        const QString part = run.toString();
        painter.drawText(x, baseline, part);
        x += metrics.horizontalAdvance(part);
      },
      [&](QChar c) {
        const QRect box(x + 1, baseline - metrics.ascent() + 1, boxWidth - 2, metrics.height() - 2);
        QColor frame = color;
        frame.setAlphaF(0.5);
        painter.save();
        painter.setPen(frame);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setFont(small);
        painter.setPen(color);
        painter.drawText(box, Qt::AlignCenter,
                         QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper());
        painter.restore();
        x += boxWidth;
      });
}

// Colours between the text's and the background's, for what is drawn around the lines.
QColor Blend(const QColor& ink, const QColor& paper, double inkShare) {
  return QColor::fromRgbF(
      static_cast<float>(ink.redF() * inkShare + paper.redF() * (1 - inkShare)),
      static_cast<float>(ink.greenF() * inkShare + paper.greenF() * (1 - inkShare)),
      static_cast<float>(ink.blueF() * inkShare + paper.blueF() * (1 - inkShare)));
}

const QColor kSentColor(0x1a, 0x5f, 0xb4);
const QColor kMatchColor(0xff, 0xe0, 0x40);
const QColor kShownMatchColor(0xff, 0x98, 0x20);

// Where `needle` occurs in an entry's shown text at or after `from` (forward), or starting at
// or before `from` (backward); -1 when nowhere. A HEX search matches HEX lines only, and only
// where a byte begins.
qsizetype MatchIn(const QString& shown, bool hexLine, const QString& needle, const FindQuery& query,
                  qsizetype from, bool forward) {
  if (query.hex && !hexLine) return -1;
  const Qt::CaseSensitivity sensitivity =
      query.matchCase && !query.hex ? Qt::CaseSensitive : Qt::CaseInsensitive;
  while (from >= 0 && from <= shown.size()) {
    const qsizetype at = forward ? shown.indexOf(needle, from, sensitivity)
                                 : shown.lastIndexOf(needle, from, sensitivity);
    if (at < 0 || !query.hex || at % 2 == 0) return at;
    from = forward ? at + 1 : at - 1;
  }
  return -1;
}

// What a query looks for in the shown texts; nothing for an empty query or bad HEX digits.
std::optional<QString> Needle(const FindQuery& query) {
  if (query.text.isEmpty()) return std::nullopt;
  if (!query.hex) return query.text;
  const std::optional<std::string> digits = HexSearchDigits(query.text.toStdString());
  if (!digits) return std::nullopt;
  return QString::fromStdString(*digits);
}

}  // namespace

// The entries: the whole line, how much of it is shown, and when and whence it came.
class AnswerModel : public QAbstractListModel {
 public:
  struct Entry {
    std::string whole;
    std::size_t shownLength = 0;  // the leading bytes of `whole` that are shown
    WallTime time{};
    RecordOrigin origin = RecordOrigin::kReceived;
    bool hex = false;
    // Made when first asked for: in a flood most entries leave the list unseen.
    mutable std::optional<QString> shown;
  };

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size() - first_);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return Shown(index.row());
  }

  const Entry& At(int row) const { return entries_[first_ + static_cast<std::size_t>(row)]; }
  // The shown part of an entry as text.
  const QString& Shown(int row) const {
    const Entry& entry = At(row);
    if (!entry.shown)
      entry.shown = ToQString(std::string_view(entry.whole).substr(0, entry.shownLength));
    return *entry.shown;
  }

  void Append(Entry entry) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    entries_.push_back(std::move(entry));
    endInsertRows();
  }
  void AppendBatch(std::vector<Entry> batch) {
    if (batch.empty()) return;
    const int row = rowCount();
    beginInsertRows({}, row, row + static_cast<int>(batch.size()) - 1);
    entries_.insert(entries_.end(), std::make_move_iterator(batch.begin()),
                    std::make_move_iterator(batch.end()));
    endInsertRows();
  }
  void RemoveFront(int count) {
    if (count <= 0) return;
    beginRemoveRows({}, 0, count - 1);
    const std::size_t gone = first_;
    first_ += static_cast<std::size_t>(count);
    // The entries move up once at least as many have gone as are left: a line at a time, each
    // entry moves about once. Until then the gone ones give their memory back.
    if (2 * first_ >= entries_.size()) {
      entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(first_));
      first_ = 0;
    } else {
      std::fill(entries_.begin() + static_cast<std::ptrdiff_t>(gone),
                entries_.begin() + static_cast<std::ptrdiff_t>(first_), Entry{});
    }
    endRemoveRows();
  }
  void Clear() {
    beginResetModel();
    entries_.clear();
    first_ = 0;
    endResetModel();
  }
  void SetShownLength(int row, std::size_t length) {
    Entry& entry = entries_[first_ + static_cast<std::size_t>(row)];
    entry.shownLength = length;
    entry.shown.reset();
  }
  void AllShownChanged() {
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
  }

 private:
  // In a vector that keeps its room: a flood replaces every entry at each showing, and a deque
  // took and gave back memory for each few of them.
  std::vector<Entry> entries_;
  std::size_t first_ = 0;  // entries before it have left the list
};

namespace {

// With no text, no icon, no check box and no alternate colour, a style draws an item only for
// its selection, the pointer over it, its focus or a brush of its own. The view has laid the base
// down already, and asking the style to draw nothing on every row costs a good part of drawing the
// rows.
bool StyleDrawsOn(const QStyleOptionViewItem& item) {
  constexpr QStyle::State kMarked =
      QStyle::State_Selected | QStyle::State_MouseOver | QStyle::State_HasFocus;
  constexpr QStyleOptionViewItem::ViewItemFeatures kDrawnParts =
      QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
      QStyleOptionViewItem::Alternate;
  return (item.state & kMarked) || item.backgroundBrush.style() != Qt::NoBrush ||
         (item.features & kDrawnParts);
}

// Every row is as wide as the horizontal extent, so the view scrolls exactly that far.
class AnswerDelegate : public QStyledItemDelegate {
 public:
  explicit AnswerDelegate(const CAnswerList* list) : QStyledItemDelegate(nullptr), list_(list) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {list_->HorizontalExtent(), QFontMetrics(option.font).height()};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    const QString text = background.text;
    background.text.clear();
    if (StyleDrawsOn(background)) {
      const QWidget* widget = option.widget;
      widget->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
    }
    const bool selected = option.state & QStyle::State_Selected;
    const QColor ink = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor paper = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
    const int row = index.row();
    const RecordOrigin origin = list_->OriginOf(row);
    painter->save();
    painter->setFont(option.font);
    const QFontMetrics metrics(option.font);
    int x = option.rect.left() + kTextMargin;
    if (list_->TimesShown()) {
      painter->setPen(Blend(ink, paper, 0.55));
      const WallTime time = list_->TimeOf(row);
      times_.Draw(*painter, x, Baseline(metrics, option.rect),
                  std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch()).count(),
                  [&] { return QString::fromStdString(TimeOfDayText(time)); });
    }
    x = option.rect.left() + kTextMargin + list_->PrefixWidth(RecordOrigin::kReceived);
    const bool sent = IsSent(origin);
    if (sent) {
      painter->setPen(selected ? ink : kSentColor);
      marks_.Draw(*painter, x, Baseline(metrics, option.rect), static_cast<int>(origin),
                  [&] { return QString::fromUtf8(SentMarker(origin)); });
      x = option.rect.left() + kTextMargin + list_->PrefixWidth(origin);
    }
    const std::optional<FindMatch> shown = list_->ShownMatch();
    for (const FindMatch& match : list_->HighlightsIn(row)) {
      const int left = x + LineWidth(metrics, text.left(match.start));
      const int width = LineWidth(metrics, text.mid(match.start, match.length));
      const bool current = shown && shown->row == row && shown->start == match.start;
      painter->fillRect(QRect(left, option.rect.top(), width, option.rect.height()),
                        current ? kShownMatchColor : kMatchColor);
    }
    const bool tinted = sent || origin == RecordOrigin::kNote;
    DrawLine(*painter, option.rect, x, text, tinted && !selected ? kSentColor : ink, lines_);
    painter->restore();
  }

 private:
  const CAnswerList* list_;
  // Enough for every row in view to keep its time, as slow lines each have their own.
  mutable ShapedTexts times_{128, QStringLiteral("0123456789:.")};
  mutable ShapedTexts marks_{4};
  mutable PlainGlyphs lines_{PrintableAscii()};
};

}  // namespace

CAnswerList::CAnswerList(QWidget* parent) : QListView(parent), model_(new AnswerModel) {
  model_->setParent(this);
  setModel(model_);
  setItemDelegate(new AnswerDelegate(this));
  itemDelegate()->setParent(this);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setWordWrap(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  holdTimer_.setSingleShot(true);
  connect(&holdTimer_, &QTimer::timeout, this, [this] { holding_ = false; });
  setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, this));
  setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal, this));
  for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
    bar->installEventFilter(this);
    connect(bar, &QAbstractSlider::actionTriggered, this, &CAnswerList::OnScrollAction);
  }
  connect(model_, &QAbstractItemModel::rowsRemoved, this,
          [this](const QModelIndex&, int first, int last) {
            if (first == 0) {
              removedSincePicture_ += last + 1;
            } else {
              picture_.reset();
            }
            changedSincePicture_ = true;
          });
  connect(model_, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int, int last) {
            if (last != model_->rowCount() - 1) picture_.reset();  // not at the end
            changedSincePicture_ = true;
          });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { picture_.reset(); });
  connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { picture_.reset(); });
  connect(model_, &QAbstractItemModel::dataChanged, this, [this] { picture_.reset(); });
}

CAnswerList::~CAnswerList() = default;

int CAnswerList::ScrollBarWidth() const {
  return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

int CAnswerList::DrawnWidth(const QString& text) const {
  return LineWidth(fontMetrics(), text);
}

std::size_t CAnswerList::FitLength(std::string_view line, int prefixWidth) const {
  return FitLengthWithin(line, ScrollBarWidth() + prefixWidth);
}

std::size_t CAnswerList::FitLengthWithin(std::string_view line, int reservedWidth) const {
  const std::size_t n = line.size();
  // No character is drawn wider than this bound, so most lines need no measuring at all.
  if (static_cast<long long>(n) * WidestCharacter() + reservedWidth < kWidthLimit) return n;
  const auto tooWide = [&](std::size_t k) {
    return DrawnWidth(ToQString(line.substr(0, k))) + reservedWidth >= kWidthLimit;
  };
  if (!tooWide(n)) return n;
  // The longest prefix that fits: `fits` always fits, `wide` never does.
  std::size_t fits = 0;
  std::size_t wide = n;
  while (wide - fits > 1) {
    const std::size_t middle = fits + (wide - fits) / 2;
    (tooWide(middle) ? wide : fits) = middle;
  }
  return fits;
}

int CAnswerList::WidestCharacter() const {
  if (widestFor_ != font()) {
    const QFontMetrics metrics = fontMetrics();
    widest_ = 2 * std::max({metrics.maxWidth(), metrics.height(), ControlBoxWidth(metrics)});
    widestFor_ = font();
  }
  return widest_;
}

// Measured once per font: they are needed for every line added. The widest digit stands for
// every digit, so that the lines start in one column.
void CAnswerList::MeasurePrefixes() const {
  if (prefixesFor_ == font() && timeWidth_ != 0) return;
  const QFontMetrics metrics = fontMetrics();
  int digit = 0;
  for (char c = '0'; c <= '9'; ++c) digit = std::max(digit, metrics.horizontalAdvance(QChar(c)));
  const int space = metrics.horizontalAdvance(QChar(' '));
  timeWidth_ = 9 * digit + 2 * metrics.horizontalAdvance(QChar(':')) +
               metrics.horizontalAdvance(QChar('.')) + 2 * space;
  int mark = 0;
  for (RecordOrigin origin :
       {RecordOrigin::kSentByOperator, RecordOrigin::kSentPeriodic, RecordOrigin::kSentAnswer}) {
    mark = std::max(mark, metrics.horizontalAdvance(QString::fromUtf8(SentMarker(origin))));
  }
  markWidth_ = mark + space;
  prefixesFor_ = font();
}

int CAnswerList::PrefixWidth(RecordOrigin origin) const {
  const bool sent = IsSent(origin);
  if (!timesShown_ && !sent) return 0;
  MeasurePrefixes();
  return (timesShown_ ? timeWidth_ : 0) + (sent ? markWidth_ : 0);
}

void CAnswerList::UpdateExtent() {
  const int prefix =
      PrefixWidth(hasSent_ ? RecordOrigin::kSentByOperator : RecordOrigin::kReceived);
  const int extent =
      std::min(DrawnWidth(ToQString(longest_)) + prefix + ScrollBarWidth(), kWidthLimit);
  if (extent == extent_) return;
  extent_ = extent;
  scheduleDelayedItemsLayout();
}

void CAnswerList::TakeLongest(std::string_view shownBytes) {
  if (longest_.size() >= shownBytes.size()) return;
  longest_ = std::string(shownBytes);
  UpdateExtent();
}

bool CAnswerList::HeldBySelectionOrMatch() const {
  return matchRow_.isValid() || (selectionModel() && selectionModel()->hasSelection());
}

std::size_t CAnswerList::Surplus(std::size_t count, std::size_t added) const {
  if (IsHolding()) {
    return count + added > kHeldLimit ? count + added - kHeldLimit : 0;
  }
  // Entries leave from the front, up to two per added line while more than 1000 are there.
  std::size_t removed = 0;
  for (std::size_t i = 0; i < added; ++i) {
    const std::size_t surplus =
        count > kTrimAbove ? std::min<std::size_t>(2, count - kTrimAbove) : 0;
    removed += surplus;
    count = count - surplus + 1;
  }
  return removed;
}

void CAnswerList::RemoveOldest(int count) {
  if (count <= 0) return;
  const bool held = IsHolding();
  const int top = TopIndex();
  ForgetCurrentAmongFirst(count);
  model_->RemoveFront(count);
  if (held) {
    pendingTop_ = std::max(0, top - count);
    scheduleDelayedItemsLayout();
  }
}

int CAnswerList::AddLine(std::string_view line) {
  std::string whole(line);
  const std::string_view shownBytes =
      std::string_view(whole).substr(0, FitLength(whole, PrefixWidth(RecordOrigin::kReceived)));
  TakeLongest(shownBytes);
  const std::size_t shownLength = shownBytes.size();
  RemoveOldest(static_cast<int>(Surplus(static_cast<std::size_t>(model_->rowCount()), 1)));
  model_->Append({std::move(whole), shownLength, {}, RecordOrigin::kReceived, false, {}});
  const int index = model_->rowCount() - 1;
  if (!IsHolding()) ShowLastLine(index);
  return index;
}

void CAnswerList::AddLines(const std::vector<AnswerLine>& lines) {
  PendingLines pending;
  for (const AnswerLine& line : lines)
    pending.AddShown(line.text, line.time, line.origin, line.hex);
  AddLines(pending);
}

void CAnswerList::AddLines(const PendingLines& lines) {
  if (lines.Empty()) return;
  if (lines.AnySent() && !hasSent_) {
    hasSent_ = true;
    UpdateExtent();
  }
  const std::size_t count = static_cast<std::size_t>(model_->rowCount());
  const std::size_t removed = Surplus(count, lines.Size());
  const std::size_t oldRemoved = std::min(removed, count);
  const std::size_t firstCut = removed - oldRemoved;  // new lines gone again at once
  // Measured once for the batch: asked of the style and the font for every line, they cost
  // more than the fitting itself.
  const int barWidth = ScrollBarWidth();
  const int receivedReserve = barWidth + PrefixWidth(RecordOrigin::kReceived);
  const int sentReserve = barWidth + PrefixWidth(RecordOrigin::kSentByOperator);
  const auto fittedLength = [&](const std::string& text, RecordOrigin origin) {
    return FitLengthWithin(text, IsSent(origin) ? sentReserve : receivedReserve);
  };
  const auto takeIfLonger = [&](const std::string& text, RecordOrigin origin) {
    TakeLongest(std::string_view(text).substr(0, fittedLength(text, origin)));
  };
  for (const PendingLines::LongLine& line : lines.LongForgottenLines()) {
    if (line.shown.size() > longest_.size()) takeIfLonger(line.shown, line.origin);
  }
  const std::size_t firstKept = std::max(firstCut, lines.Forgotten());
  for (std::size_t i = lines.Forgotten();
       i < firstKept && lines.LongestShownLength() > longest_.size(); ++i) {
    if (lines.ShownLength(i) > longest_.size()) takeIfLonger(lines.Shown(i), lines.Origin(i));
  }
  std::vector<AnswerModel::Entry> entries;
  entries.reserve(lines.Size() - firstKept);
  for (std::size_t i = firstKept; i < lines.Size(); ++i) {
    std::string text = lines.Shown(i);
    const std::string_view shownBytes =
        std::string_view(text).substr(0, fittedLength(text, lines.Origin(i)));
    TakeLongest(shownBytes);
    const std::size_t shownLength = shownBytes.size();
    entries.push_back(
        {std::move(text), shownLength, lines.Time(i), lines.Origin(i), lines.IsHex(i), {}});
  }
  RemoveOldest(static_cast<int>(oldRemoved));
  model_->AppendBatch(std::move(entries));
  if (!IsHolding()) ShowLastLine(model_->rowCount() - 1);
}

void CAnswerList::ForgetCurrentAmongFirst(int count) {
  // Left to itself the view would move the current entry along, row by row, as the rows
  // under it go: by far the dearest part of trimming the list.
  if (currentIndex().isValid() && currentIndex().row() < count) {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
}

void CAnswerList::ShowLastLine(int index) {
  const int page = VisibleLines();
  // Scrolling once per batch of lines, when the view lays out its new rows, rather than once
  // per line: each scroll costs as much as everything else AddLine does together.
  pendingTop_ = page < index ? index - page + 1 : 0;
  scheduleDelayedItemsLayout();
}

void CAnswerList::updateGeometries() {
  QListView::updateGeometries();
  // The scroll range grows only when the view lays its rows out again.
  if (pendingTop_ >= 0) {
    verticalScrollBar()->setValue(pendingTop_);
    pendingTop_ = -1;
  }
}

// Every items layout lays the scroll area out again and raises both scroll bars, and a raise
// repaints a bar whole even when nothing about it changed: with lines arriving that was most of
// the cost of showing them. A bar still repaints itself when its look changes.
void CAnswerList::doItemsLayout() {
  struct Bar {
    QWidget* box;
    QRect geometry;
    bool visible;
    bool quiet;  // repaints were already held off by someone else
  };
  std::array<Bar, 2> bars{};
  const std::array<QScrollBar*, 2> scrollBars{verticalScrollBar(), horizontalScrollBar()};
  for (std::size_t i = 0; i < bars.size(); ++i) {
    QWidget* box = scrollBars[i]->parentWidget();
    bars[i] = {box, box->geometry(), box->isVisible(), box->testAttribute(Qt::WA_UpdatesDisabled)};
    box->setAttribute(Qt::WA_UpdatesDisabled, true);
  }
  // The layout would draw every row in view again; RepaintAfterLayout draws what changed.
  std::optional<Picture> before = picture_;
  if (before) {
    const Picture now = CurrentPicture();
    if (now.top != before->top || now.left != before->left || now.size != before->size) {
      before.reset();  // scrolled or resized since, not by a layout
    }
  }
  const int removed = removedSincePicture_;
  const bool viewportQuiet = viewport()->testAttribute(Qt::WA_UpdatesDisabled);
  viewport()->setAttribute(Qt::WA_UpdatesDisabled, true);
  QListView::doItemsLayout();
  viewport()->setAttribute(Qt::WA_UpdatesDisabled, viewportQuiet);
  bool moved = false;
  for (const Bar& bar : bars) {
    bar.box->setAttribute(Qt::WA_UpdatesDisabled, bar.quiet);
    moved = moved || bar.box->geometry() != bar.geometry || bar.box->isVisible() != bar.visible;
  }
  RepaintAfterLayout(moved ? std::nullopt : before, removed);
  if (!moved) return;
  update();
  for (const Bar& bar : bars) bar.box->update();
}

CAnswerList::Picture CAnswerList::CurrentPicture() const {
  return {verticalScrollBar()->value(),
          horizontalScrollBar()->value(),
          model_->rowCount(),
          fontMetrics().height(),
          extent_,
          viewport()->size()};
}

// Lines arrive at the end and the oldest leave at the front, so that most rows in view only
// move up: their pixels are moved, and only the rows that came since are drawn.
void CAnswerList::RepaintAfterLayout(const std::optional<Picture>& before, int removed) {
  const Picture now = CurrentPicture();
  picture_ = now;
  removedSincePicture_ = 0;
  changedSincePicture_ = false;
  const int shift = before ? now.top - (before->top - removed) : -1;
  const bool alike = before && before->left == now.left && before->size == now.size &&
                     before->rowHeight == now.rowHeight && before->extent == now.extent;
  if (!alike || shift < 0 || static_cast<long long>(shift) * now.rowHeight >= now.size.height()) {
    viewport()->update();
    return;
  }
  if (shift > 0) {
    viewport()->scroll(0, -shift * now.rowHeight);
    // The row now out of view above drew into the top of the first.
    viewport()->update(QRect(0, 0, now.size.width(), now.rowHeight / 2));
  }
  // What is drawn from the rows that came since, and from the rows uncovered at the bottom;
  // from half a row higher, where a row above draws into them and they into it.
  const int height = now.size.height();
  const int firstNew = (before->rows - removed - now.top) * now.rowHeight;
  const int from = std::min(firstNew, height - shift * now.rowHeight) - now.rowHeight / 2;
  if (from < height) {
    viewport()->update(QRect(0, std::max(0, from), now.size.width(), height - std::max(0, from)));
  }
}

// QListView draws every row that meets the bounding rectangle of what is to be drawn: after a
// layout moved the rows, that would be every row between the top and the bottom of the view.
// Bands two rows apart have no row in common, so each is drawn on its own.
void CAnswerList::paintEvent(QPaintEvent* event) {
  const int gap = 2 * fontMetrics().height();
  std::vector<QRect> bands;
  for (const QRect& rect : event->region()) {  // from the top down
    if (!bands.empty() && rect.top() < bands.back().bottom() + gap) {
      bands.back() |= rect;
    } else {
      bands.push_back(rect);
    }
  }
  if (bands.size() <= 1) {
    QListView::paintEvent(event);
    return;
  }
  for (const QRect& band : bands) {
    QPaintEvent part(band);
    QListView::paintEvent(&part);
  }
}

bool CAnswerList::viewportEvent(QEvent* event) {
  // Drawn between a change of the entries and their layout, the view shows neither.
  if (event->type() == QEvent::Paint && changedSincePicture_) picture_.reset();
  return QListView::viewportEvent(event);
}

int CAnswerList::VisibleLines() const {
  return std::max(1, viewport()->height() / std::max(1, fontMetrics().height()));
}

void CAnswerList::Reset() {
  model_->Clear();
  longest_.clear();
  hasSent_ = false;
}

void CAnswerList::Refit() {
  longest_.clear();
  for (int row = 0; row < model_->rowCount(); ++row) {
    const AnswerModel::Entry& entry = model_->At(row);
    const std::string_view shownBytes =
        std::string_view(entry.whole).substr(0, FitLength(entry.whole, PrefixWidth(entry.origin)));
    model_->SetShownLength(row, shownBytes.size());
    TakeLongest(shownBytes);
  }
  UpdateExtent();
  model_->AllShownChanged();
  scheduleDelayedItemsLayout();
}

int CAnswerList::Count() const {
  return model_->rowCount();
}
QString CAnswerList::ShownText(int index) const {
  return model_->Shown(index);
}
const std::string& CAnswerList::WholeLine(int index) const {
  return model_->At(index).whole;
}
WallTime CAnswerList::TimeOf(int index) const {
  return model_->At(index).time;
}
RecordOrigin CAnswerList::OriginOf(int index) const {
  return model_->At(index).origin;
}
int CAnswerList::TopIndex() const {
  return pendingTop_ >= 0 ? pendingTop_ : verticalScrollBar()->value();
}

void CAnswerList::SetTimesShown(bool shown) {
  if (shown == timesShown_) return;
  timesShown_ = shown;
  Refit();  // the time takes room from the lines
  viewport()->update();
}

QString CAnswerList::LineAsShown(int index) const {
  const AnswerModel::Entry& entry = model_->At(index);
  std::string prefix;
  if (timesShown_) prefix = TimeOfDayText(entry.time) + ' ';
  if (IsSent(entry.origin)) prefix += SentMarker(entry.origin) + std::string(" ");
  return QString::fromStdString(prefix + WithControlPictures(model_->Shown(index).toStdString()));
}

QString CAnswerList::SelectedText() const {
  QModelIndexList rows = selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  QStringList lines;
  lines.reserve(rows.size());
  for (const QModelIndex& row : rows) lines << LineAsShown(row.row());
  return lines.join(QLatin1Char('\n'));
}

void CAnswerList::CopySelection() const {
  if (!selectionModel()->hasSelection()) return;
  QGuiApplication::clipboard()->setText(SelectedText());
}

std::optional<FindMatch> CAnswerList::Find(const FindQuery& query, bool forward) const {
  const int count = Count();
  const std::optional<QString> needle = Needle(query);
  if (!needle || count == 0) return std::nullopt;
  int row = 0;
  qsizetype from = 0;
  if (const std::optional<FindMatch> shown = ShownMatch()) {
    row = shown->row;
    from = forward ? shown->start + 1 : shown->start - 1;
  } else if (forward) {
    row = std::clamp(TopIndex(), 0, count - 1);
  } else {
    row = std::clamp(TopIndex() + VisibleLines() - 1, 0, count - 1);
    from = model_->Shown(row).size();
  }
  // Round the list once; the row it started from comes again whole at the end.
  for (int step = 0; step <= count; ++step) {
    const int at = forward ? (row + step) % count : ((row - step) % count + count) % count;
    const QString& shown = model_->Shown(at);
    const qsizetype start = step == 0 ? from : (forward ? 0 : shown.size());
    const qsizetype found = MatchIn(shown, model_->At(at).hex, *needle, query, start, forward);
    if (found >= 0) return FindMatch{at, found, needle->size()};
  }
  return std::nullopt;
}

std::vector<FindMatch> CAnswerList::HighlightsIn(int row) const {
  std::vector<FindMatch> matches;
  if (!highlight_) return matches;
  const std::optional<QString> needle = Needle(*highlight_);
  if (!needle) return matches;
  const QString& shown = model_->Shown(row);
  const bool hex = model_->At(row).hex;
  for (qsizetype from = 0;;) {
    const qsizetype found = MatchIn(shown, hex, *needle, *highlight_, from, true);
    if (found < 0) break;
    matches.push_back({row, found, needle->size()});
    from = found + needle->size();
  }
  return matches;
}

void CAnswerList::ShowMatch(const FindQuery& query, const FindMatch& match) {
  highlight_ = query;
  const QModelIndex index = model_->index(match.row);
  matchRow_ = QPersistentModelIndex(index);
  matchStart_ = match.start;
  matchLength_ = match.length;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  ShowRowAndColumn(match.row, kTextMargin + PrefixWidth(model_->At(match.row).origin) +
                                  DrawnWidth(model_->Shown(match.row).left(match.start)));
  viewport()->update();
}

void CAnswerList::ShowRowAndColumn(int row, int x) {
  const int top = TopIndex();
  const int page = VisibleLines();
  if (row < top || row >= top + page) {
    pendingTop_ = std::max(0, row - page / 2);
    scheduleDelayedItemsLayout();
  }
  QScrollBar* bar = horizontalScrollBar();
  const int width = viewport()->width();
  if (x < bar->value() || x > bar->value() + width * 3 / 4)
    bar->setValue(std::max(0, x - width / 4));
}

void CAnswerList::EndFind() {
  highlight_.reset();
  matchRow_ = QPersistentModelIndex();
  viewport()->update();
}

std::optional<FindMatch> CAnswerList::ShownMatch() const {
  if (!matchRow_.isValid()) return std::nullopt;
  return FindMatch{matchRow_.row(), matchStart_, matchLength_};
}

void CAnswerList::Hold() {
  holding_ = true;
}

void CAnswerList::RestartHoldTimer() {
  holdTimer_.start(kHoldMilliseconds);
}

void CAnswerList::OnScrollAction(int action) {
  if (action == QAbstractSlider::SliderNoAction) return;
  Hold();
  // While a button is held on the scroll bar the hold lasts; its release starts the second.
  if (pressingScrollBar_) {
    holdTimer_.stop();
  } else {
    RestartHoldTimer();
  }
}

bool CAnswerList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == verticalScrollBar() || watched == horizontalScrollBar()) {
    if (event->type() == QEvent::MouseButtonPress) {
      pressingScrollBar_ = true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
      pressingScrollBar_ = false;
      if (holding_) RestartHoldTimer();
    }
  }
  return QListView::eventFilter(watched, event);
}

// Moving through the lines with the keys alone selects nothing: only a selection the operator
// makes (mouse, Shift, Ctrl) holds the view.
QItemSelectionModel::SelectionFlags CAnswerList::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const {
  if (event && event->type() == QEvent::KeyPress &&
      !(static_cast<const QKeyEvent*>(event)->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier))) {
    return QItemSelectionModel::NoUpdate;
  }
  return QListView::selectionCommand(index, event);
}

void CAnswerList::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    CopySelection();
    return;
  }
  if (event->matches(QKeySequence::Find)) {
    emit findRequested();
    return;
  }
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (findOpen_ && event->key() == Qt::Key_F3 &&
      (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
    emit findAgainRequested(modifiers == Qt::NoModifier);
    return;
  }
  if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
    if (findOpen_) {
      emit findCloseRequested();
      return;
    }
    if (selectionModel()->hasSelection()) {
      clearSelection();
      return;
    }
  }
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    Hold();
    RestartHoldTimer();
  }
  QListView::keyPressEvent(event);
}

}  // namespace vexa
