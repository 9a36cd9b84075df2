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

const ShapedTexts::Entry* ShapedTexts::Kept(std::int64_t key) const {
  for (const Entry& entry : entries_) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

const ShapedTexts::Entry& ShapedTexts::Keep(const QPainter& painter, std::int64_t key,
                                            const QString& text) {
  Entry made{key, plain_.Compose(painter, text), {}};
  if (made.glyphs.isEmpty()) {
    made.text.setText(text);
    made.text.setTextFormat(Qt::PlainText);  // never read as markup
    made.text.prepare(painter.transform(), font_);
  }
  if (entries_.size() < capacity_) {
    entries_.push_back(std::move(made));
    return entries_.back();
  }
  Entry& oldest = entries_[next_];
  next_ = (next_ + 1) % capacity_;
  oldest = std::move(made);
  return oldest;
}

}  // namespace vexa
