#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace posyvaled {

// Converts UTF-8 text (as it comes from the command line) to the CP932 bytes
// the server stores and sends. Empty when the text is not valid UTF-8 or has
// a character CP932 cannot represent.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

}  // namespace posyvaled
