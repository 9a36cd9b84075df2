// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edit settings as the operator sets them: three choices and the separator of an item's
// description and command data. The dialog shows the fields; this decides what they mean.

#include <optional>
#include <string>
#include <string_view>

#include "core/settings/CommSettings.h"

namespace vexa {

struct EditSettingsFields {
  bool hexInputDefault = false;
  bool hexDisplayDefault = false;
  bool useEscapes = false;
  std::string separator;  // CP932
};

EditSettingsFields EditFieldsOf(const CommSettings& settings);

// What the separator field holds after the operator changed it to `typed` (CP932), having
// held `previous`. Longer text is cut to its first character when that is a single-byte
// character; otherwise (a double-byte character, a control byte) the field goes back to
// `previous`. `refused` asks for the beep.
struct SeparatorFieldText {
  std::string text;
  bool refused;
};
SeparatorFieldText ConstrainSeparatorField(std::string_view typed, std::string_view previous);

// Whether `text` is one character that may separate description and data: one byte that is
// not a lead byte, nor a control byte other than tab (a line end would break the item's line
// in the command file).
bool IsSeparatorCharacter(std::string_view text);

// Why the fields were refused (UTF-8).
struct EditFieldError {
  std::string message;
  std::string caption;
};

// Stores the fields in `settings` (the separator's first byte), or says why not and leaves
// it untouched.
std::optional<EditFieldError> ApplyEditFields(const EditSettingsFields& fields,
                                              CommSettings& settings);

}  // namespace vexa
