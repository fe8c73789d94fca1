#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "account_store.h"

namespace posyvaled {

// Item codes. An appearance item is the number of the character picture it
// gives, 1 to 33, in decimal; an ordinary item is "i" and a decimal number.
// No code has a leading zero, and none begins with the digit 0: the client
// reads an "i" message whose first field begins with 0 as an empty
// inventory, so appearance 0 (and the present picture, 34) are no items.
bool IsItemCode(std::string_view code);
// For a valid code: true for an appearance item, false for an ordinary one.
bool IsAppearanceItemCode(std::string_view code);

// The points that selling an item pays.
inline constexpr int kAppearanceItemPrice = 300;
inline constexpr int kOrdinaryItemPrice = 100;
int ItemPrice(std::string_view code);

// The "i" messages that list `items` (oldest first), each "i" followed by
// code,id pairs, "i0" for an empty inventory. The client puts every entry it
// reads on top of its list, so the newest item shows first. A list too long
// for one message goes on in further messages, which the client adds on top
// of what it already shows.
std::vector<std::string> FormatInventory(const std::vector<Item>& items);

}  // namespace posyvaled
