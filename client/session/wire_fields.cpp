#include "client/session/wire_fields.h"

#include <cstdint>

WireFields SplitWireFields(std::string_view text, int max_fields) {
  WireFields fields;
  if (max_fields > kMaxWireFields) max_fields = kMaxWireFields;
  std::size_t at = 0;
  while (fields.count < max_fields) {
    while (at < text.size() && text[at] == ',') ++at;
    if (at >= text.size()) break;
    const std::size_t end = text.find(',', at);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    fields.field[fields.count++] = text.substr(at, stop - at);
    at = stop;
  }
  return fields;
}

int ReadWireInt(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  std::int64_t value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    value = value * 10 + (text[at++] - '0');
    if (value > INT32_MAX + std::int64_t{1}) value = INT32_MAX + std::int64_t{1};
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int>(value);
}
