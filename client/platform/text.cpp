#include "client/platform/text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace platform {
namespace {

// Converts with iconv, putting `replacement` in place of every byte sequence
// the source encoding cannot read or the target cannot hold.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, std::size_t bad_input_step) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string output;
  output.reserve(input.size() * 2);
  char* in = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  char buffer[512];
  while (in_left > 0) {
    char* out = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t rc = iconv(cd, &in, &in_left, &out, &out_left);
    output.append(buffer, static_cast<std::size_t>(out - buffer));
    if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ or EINVAL: skip the offending input and mark it.
    output.append(replacement);
    std::size_t step = bad_input_step;
    if (step == 0) {  // UTF-8 input: skip one whole character
      step = 1;
      while (step < in_left && (static_cast<unsigned char>(in[step]) & 0xC0) == 0x80) ++step;
    }
    step = std::min(step, in_left);
    in += step;
    in_left -= step;
  }
  iconv_close(cd);
  return output;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", 1);
}

std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, "?", 0); }

std::string_view Cp932Prefix(std::string_view text, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + width > max_bytes || end + width > text.size()) break;
    end += width;
  }
  return text.substr(0, end);
}

}  // namespace platform
