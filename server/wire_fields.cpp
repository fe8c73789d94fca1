#include "wire_fields.h"

namespace posyvaled {

std::vector<std::string> SplitFields(std::string_view text) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t start = text.find_first_not_of(',', pos);
    if (start == std::string_view::npos) break;
    std::size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    fields.emplace_back(text.substr(start, end - start));
    pos = end;
  }
  return fields;
}

int ReadInteger(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  long long value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    if (value < 10'000'000'000LL) value = value * 10 + (text[pos] - '0');
  }
  if (negative) value = -value;
  return static_cast<int>(value);
}

}  // namespace posyvaled
