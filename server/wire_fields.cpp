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

}  // namespace posyvaled
