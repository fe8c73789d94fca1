#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace posyvaled {

// Splits a comma-separated message text. A run of commas counts as one
// separator, so no field is ever empty.
std::vector<std::string> SplitFields(std::string_view text);

}  // namespace posyvaled
