// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/PortComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>

#include "gui/seam/QtText.h"

namespace vexa {
namespace {

constexpr int kColumnGap = 16;  // pixels between a port name and its description

// A row is its port name, then, in a column of its own, the description in the colour of
// secondary text.
class PortRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void SetNameColumnWidth(int width) { nameColumnWidth_ = width; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    const QString description = Description(index);
    if (description.isEmpty()) return;
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    const QStyle* style = row.widget ? row.widget->style() : QApplication::style();
    QRect place = style->subElementRect(QStyle::SE_ItemViewItemText, &row, row.widget);
    place.setLeft(place.left() + nameColumnWidth_ + kColumnGap);
    const bool selected = row.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(row.font);
    painter->setPen(
        row.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    painter->drawText(place, Qt::AlignLeft | Qt::AlignVCenter,
                      row.fontMetrics.elidedText(description, Qt::ElideRight, place.width()));
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString description = Description(index);
    if (description.isEmpty()) return size;
    const QFontMetrics metrics(option.font);
    const int nameWidth = metrics.horizontalAdvance(index.data().toString());
    size.rwidth() +=
        nameColumnWidth_ - nameWidth + kColumnGap + metrics.horizontalAdvance(description);
    return size;
  }

 private:
  static QString Description(const QModelIndex& index) {
    return index.data(CPortComboBox::kDescriptionRole).toString();
  }

  int nameColumnWidth_ = 0;
};

// COM1 to COM8 and a few adapters without scrolling.
constexpr int kVisibleRows = 16;

}  // namespace

CPortComboBox::CPortComboBox(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new PortRowDelegate(this));
  setMaxVisibleItems(kVisibleRows);
}

void CPortComboBox::Refill() {
  const QString shown = currentText();
  const QSignalBlocker quiet(this);
  clear();
  const QFontMetrics metrics(view()->font());
  int nameColumnWidth = 0;
  for (const OfferedPort& port : OfferedPorts(roots_)) {
    const QString name = ToQString(port.name);
    addItem(name);
    setItemData(count() - 1, QString::fromStdString(port.description), kDescriptionRole);
    nameColumnWidth = std::max(nameColumnWidth, metrics.horizontalAdvance(name));
  }
  static_cast<PortRowDelegate*>(itemDelegate())->SetNameColumnWidth(nameColumnWidth);
  setCurrentIndex(findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive));
  if (currentIndex() < 0 && isEditable()) setEditText(shown);
}

void CPortComboBox::showPopup() {
  Refill();
  // The list may be wider than the field, so that the descriptions can be read.
  view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() +
                          view()->verticalScrollBar()->sizeHint().width());
  QComboBox::showPopup();
}

}  // namespace vexa
