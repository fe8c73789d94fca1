// Conversion between the CP932 byte strings used everywhere inside the
// client and the UTF-8 text of the desktop.
#pragma once
#include <string>
#include <string_view>

namespace platform {

// Undecodable bytes become U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// Characters without a CP932 form become "?".
std::string Utf8ToCp932(std::string_view utf8);

// True when the byte starts a double-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The longest prefix of text of at most max_bytes bytes that does not end
// in the middle of a double-byte character.
std::string_view Cp932Prefix(std::string_view text, std::size_t max_bytes);

}  // namespace platform
