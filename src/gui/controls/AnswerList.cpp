// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/AnswerList.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <deque>
#include <iterator>

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

void DrawLine(QPainter& painter, const QRect& rect, const QString& text, const QColor& color) {
  const QFontMetrics metrics(painter.font());
  const int baseline = rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
  painter.setPen(color);
  if (!HasControl(text)) {
    painter.drawText(rect.left() + kTextMargin, baseline, text);
    return;
  }
  QFont small = painter.font();
  small.setPointSizeF(std::max(1.0, painter.font().pointSizeF() * 0.7));
  if (painter.font().pixelSize() > 0)
    small.setPixelSize(std::max(1, painter.font().pixelSize() * 7 / 10));
  int x = rect.left() + kTextMargin;
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

}  // namespace

// The entries: what is shown and the whole line it was cut from.
class AnswerModel : public QAbstractListModel {
 public:
  struct Entry {
    std::string whole;
    QString shown;
  };

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return entries_[static_cast<std::size_t>(index.row())].shown;
  }

  const Entry& At(int row) const { return entries_[static_cast<std::size_t>(row)]; }

  void Append(std::string whole, QString shown) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    entries_.push_back({std::move(whole), std::move(shown)});
    endInsertRows();
  }
  void AppendBatch(std::vector<Entry> batch) {
    if (batch.empty()) return;
    const int row = rowCount();
    beginInsertRows({}, row, row + static_cast<int>(batch.size()) - 1);
    std::move(batch.begin(), batch.end(), std::back_inserter(entries_));
    endInsertRows();
  }
  void RemoveFront(int count) {
    if (count <= 0) return;
    beginRemoveRows({}, 0, count - 1);
    entries_.erase(entries_.begin(), entries_.begin() + count);
    endRemoveRows();
  }
  void Clear() {
    beginResetModel();
    entries_.clear();
    endResetModel();
  }
  void SetShown(int row, QString shown) {
    entries_[static_cast<std::size_t>(row)].shown = std::move(shown);
  }
  void AllShownChanged() {
    if (!entries_.empty()) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
  }

 private:
  std::deque<Entry> entries_;
};

namespace {

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
    const QWidget* widget = option.widget;
    widget->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(option.font);
    DrawLine(*painter, option.rect, text,
             option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->restore();
  }

 private:
  const CAnswerList* list_;
};

}  // namespace

CAnswerList::CAnswerList(QWidget* parent) : QListView(parent), model_(new AnswerModel) {
  model_->setParent(this);
  setModel(model_);
  setItemDelegate(new AnswerDelegate(this));
  itemDelegate()->setParent(this);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setWordWrap(false);
  holdTimer_.setSingleShot(true);
  connect(&holdTimer_, &QTimer::timeout, this, [this] { holding_ = false; });
  for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
    bar->installEventFilter(this);
    connect(bar, &QAbstractSlider::actionTriggered, this, &CAnswerList::OnScrollAction);
  }
}

CAnswerList::~CAnswerList() = default;

int CAnswerList::ScrollBarWidth() const {
  return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

int CAnswerList::DrawnWidth(const QString& text) const {
  return LineWidth(fontMetrics(), text);
}

std::size_t CAnswerList::FitLength(std::string_view line) const {
  const std::size_t n = line.size();
  // No character is drawn wider than this bound, so most lines need no measuring at all.
  const int scrollBar = ScrollBarWidth();
  if (static_cast<long long>(n) * WidestCharacter() + scrollBar < kWidthLimit) return n;
  const auto tooWide = [&](std::size_t k) {
    return DrawnWidth(ToQString(line.substr(0, k))) + scrollBar >= kWidthLimit;
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

void CAnswerList::UpdateExtent() {
  const int extent = std::min(DrawnWidth(ToQString(longest_)) + ScrollBarWidth(), kWidthLimit);
  if (extent == extent_) return;
  extent_ = extent;
  scheduleDelayedItemsLayout();
}

void CAnswerList::TakeLongest(std::string_view shownBytes) {
  if (longest_.size() >= shownBytes.size()) return;
  longest_ = std::string(shownBytes);
  UpdateExtent();
}

int CAnswerList::AddLine(std::string_view line) {
  std::string whole(line);
  const std::string_view shownBytes = std::string_view(whole).substr(0, FitLength(whole));
  QString shown = ToQString(shownBytes);
  TakeLongest(shownBytes);
  if (!holding_) {
    const int surplus = std::clamp(model_->rowCount() - kTrimAbove, 0, 2);
    ForgetCurrentAmongFirst(surplus);
    model_->RemoveFront(surplus);
  }
  model_->Append(std::move(whole), std::move(shown));
  const int index = model_->rowCount() - 1;
  if (!holding_) ShowLastLine(index);
  return index;
}

void CAnswerList::AddLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  // Where adding the lines one by one would end: entries leave from the front, up to two per
  // added line while more than 1000 are there (none while held).
  std::size_t removed = 0;
  if (!holding_) {
    std::size_t count = static_cast<std::size_t>(model_->rowCount());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::size_t surplus =
          count > kTrimAbove ? std::min<std::size_t>(2, count - kTrimAbove) : 0;
      removed += surplus;
      count = count - surplus + 1;
    }
  }
  const std::size_t oldRemoved =
      std::min<std::size_t>(removed, static_cast<std::size_t>(model_->rowCount()));
  const std::size_t firstKept = removed - oldRemoved;  // new lines gone again at once
  for (std::size_t i = 0; i < firstKept; ++i) {
    if (lines[i].size() > longest_.size())
      TakeLongest(std::string_view(lines[i]).substr(0, FitLength(lines[i])));
  }
  std::vector<AnswerModel::Entry> entries;
  entries.reserve(lines.size() - firstKept);
  for (std::size_t i = firstKept; i < lines.size(); ++i) {
    const std::string_view shownBytes = std::string_view(lines[i]).substr(0, FitLength(lines[i]));
    TakeLongest(shownBytes);
    entries.push_back({lines[i], ToQString(shownBytes)});
  }
  ForgetCurrentAmongFirst(static_cast<int>(oldRemoved));
  model_->RemoveFront(static_cast<int>(oldRemoved));
  model_->AppendBatch(std::move(entries));
  if (!holding_) ShowLastLine(model_->rowCount() - 1);
}

void CAnswerList::ForgetCurrentAmongFirst(int count) {
  // Left to itself the view would move the current entry along, row by row, as the rows
  // under it go: by far the dearest part of trimming the list.
  if (currentIndex().isValid() && currentIndex().row() < count) {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
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

int CAnswerList::VisibleLines() const {
  return std::max(1, viewport()->height() / std::max(1, fontMetrics().height()));
}

void CAnswerList::Reset() {
  model_->Clear();
  longest_.clear();
}

void CAnswerList::Refit() {
  longest_.clear();
  for (int row = 0; row < model_->rowCount(); ++row) {
    const std::string& whole = model_->At(row).whole;
    const std::string_view shownBytes = std::string_view(whole).substr(0, FitLength(whole));
    model_->SetShown(row, ToQString(shownBytes));
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
  return model_->At(index).shown;
}
const std::string& CAnswerList::WholeLine(int index) const {
  return model_->At(index).whole;
}
int CAnswerList::TopIndex() const {
  return pendingTop_ >= 0 ? pendingTop_ : verticalScrollBar()->value();
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

void CAnswerList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    Hold();
    RestartHoldTimer();
  }
  QListView::keyPressEvent(event);
}

}  // namespace vexa
