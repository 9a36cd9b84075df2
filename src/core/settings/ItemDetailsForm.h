// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every setting of one command item as the item detail dialog shows it, and what the fields
// mean: the numbers and their ranges, the line built from description and data, the kinds
// and the derived bytes. The dialog asks the operator; this decides.

#include <cstdint>
#include <optional>
#include <string>

#include "core/items/Attr.h"
#include "core/settings/CommSettings.h"

namespace vexa {

// The dialog's fields; texts in CP932.
struct ItemDetailsFields {
  std::string sendDescription, sendText, receiveDescription, receiveText;
  std::string period, delay;
  bool sendHex = false;
  bool receiveHex = false;
};

ItemDetailsFields DetailFieldsOf(const CAttr& item);

enum class ItemNumberField { kDelay, kPeriod };

struct ItemNumberError {
  ItemNumberField field;
  std::string message;  // UTF-8
};

// Reads the delay, then the period: each an unsigned decimal number (blanks around it, an
// optional plus sign) within its range. The first failure is returned and `item` is
// untouched.
std::optional<ItemNumberError> ApplyItemNumbers(const ItemDetailsFields& fields, CAttr& item);

enum class ItemDataSide { kSend, kReceive };

// Takes one side's description, data and HEX choice into `item` and derives its bytes; empty
// data gives kind 0 and no bytes. The send side also rebuilds the line as description,
// separator and data, so that splitting the line again gives the same parts (with empty data,
// the line ends with the separator). Returns the BuildResult.
BuildResult ApplyItemData(CAttr& item, ItemDataSide side, const ItemDetailsFields& fields,
                          const CommSettings& settings);

// The operator chose to keep data that is not HEX as text: the side becomes text and its
// bytes are derived again. Returns the BuildResult (an escape error is still possible).
BuildResult KeepItemDataAsText(CAttr& item, ItemDataSide side, const CommSettings& settings);

}  // namespace vexa
