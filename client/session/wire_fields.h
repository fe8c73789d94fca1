// Comma-separated fields of server messages and data files. A run of commas
// counts as one separator, so no field is ever empty.
#pragma once
#include <string_view>

inline constexpr int kMaxWireFields = 16;

struct WireFields {
  std::string_view field[kMaxWireFields];
  int count = 0;
};

// Splits text into at most max_fields fields (max_fields <= kMaxWireFields);
// the last field ends at the next comma like the others, and text after it
// is ignored.
WireFields SplitWireFields(std::string_view text, int max_fields = kMaxWireFields);

// Reads a decimal integer: leading blanks and one sign allowed, reading stops
// at the first non-digit, no digits read as 0. Values beyond the 32-bit range
// are clamped.
int ReadWireInt(std::string_view text);
