// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workspace/PendingLines.h"

#include "core/codec/Codec.h"

namespace vexa {

void PendingLines::Add(std::string_view bytes, std::string_view terminator, bool hex, WallTime time,
                       RecordOrigin origin) {
  if (hex) {
    Append(bytes, time, origin, Form::kHexDigits, true);
    return;
  }
  Append(WithoutTerminator(bytes, terminator), time, origin, Form::kText, false);
}

void PendingLines::AddShown(std::string_view shown, WallTime time, RecordOrigin origin, bool hex) {
  Append(shown, time, origin, Form::kShown, hex);
}

void PendingLines::Append(std::string_view bytes, WallTime time, RecordOrigin origin, Form form,
                          bool hex) {
  lines_.push_back({static_cast<std::uint32_t>(bytes_.size()),
                    static_cast<std::uint32_t>(bytes.size()), time, origin, form, hex});
  bytes_.append(bytes);
}

void PendingLines::Clear() {
  bytes_.clear();
  lines_.clear();
}

std::string PendingLines::Shown(std::size_t i) const {
  const Line& line = lines_[i];
  const std::string_view bytes = std::string_view(bytes_).substr(line.offset, line.length);
  switch (line.form) {
    case Form::kText:
      return TextDisplay(bytes, {});
    case Form::kHexDigits:
      return HexDisplay(bytes);
    case Form::kShown:
      break;
  }
  return std::string(bytes);
}

std::size_t PendingLines::ShownLength(std::size_t i) const {
  const Line& line = lines_[i];
  return line.form == Form::kHexDigits ? 2 * std::size_t{line.length} : line.length;
}

}  // namespace vexa
