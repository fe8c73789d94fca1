#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace posyvaled {

// Splits a comma-separated message text. A run of commas counts as one
// separator, so no field is ever empty.
std::vector<std::string> SplitFields(std::string_view text);

// Reads a decimal integer the way the client does: leading blanks and one
// sign are allowed, reading stops at the first non-digit, no digits give 0.
int ReadInteger(std::string_view text);

}  // namespace posyvaled
