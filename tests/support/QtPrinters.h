// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Readable Qt texts in test failure messages.

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '{';
  for (const QString& text : texts)
    *out << (&text == &texts.front() ? "" : ", ") << '"' << text.toStdString() << '"';
  *out << '}';
}
