// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/controls/ShapedTexts.h"

#include <QFontMetrics>

namespace vexa {

void ShapedTexts::UseFont(const QFont& font) {
  if (!entries_.empty() && font == font_) return;  // an empty cache holds no font yet
  entries_.clear();
  next_ = 0;
  font_ = font;
  ascent_ = QFontMetricsF(font).ascent();
}

const QStaticText* ShapedTexts::Kept(std::int64_t key) const {
  for (const Entry& entry : entries_) {
    if (entry.key == key) return &entry.text;
  }
  return nullptr;
}

const QStaticText& ShapedTexts::Keep(const QPainter& painter, std::int64_t key,
                                     const QString& text) {
  QStaticText shaped(text);
  shaped.setTextFormat(Qt::PlainText);  // never read as markup
  shaped.prepare(painter.transform(), font_);
  if (entries_.size() < capacity_) {
    entries_.push_back({key, std::move(shaped)});
    return entries_.back().text;
  }
  Entry& oldest = entries_[next_];
  next_ = (next_ + 1) % capacity_;
  oldest = {key, std::move(shaped)};
  return oldest.text;
}

}  // namespace vexa
