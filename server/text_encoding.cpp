#include "text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace posyvaled {

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error("iconv cannot convert UTF-8 to CP932");
  }
  std::string input(utf8);
  // CP932 never needs more bytes than UTF-8 for the same text.
  std::string output(input.size() + 4, '\0');
  char* in = input.data();
  std::size_t in_left = input.size();
  char* out = output.data();
  std::size_t out_left = output.size();
  std::size_t result = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || in_left != 0) return std::nullopt;
  output.resize(output.size() - out_left);
  return output;
}

}  // namespace posyvaled
