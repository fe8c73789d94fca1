#include "viewer/command_line.h"

#include <climits>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The bytes that separate the program-name token from the text after it.
bool IsSeparatorByte(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

// Up to `count` non-empty fields between "@" separators.
std::vector<std::string_view> SplitFields(std::string_view text, std::size_t count) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (fields.size() < count) {
    pos = text.find_first_not_of('@', pos);
    if (pos == std::string_view::npos) break;
    const std::size_t end = text.find('@', pos);
    fields.push_back(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
    if (end == std::string_view::npos) break;
    pos = end;
  }
  return fields;
}

}  // namespace

int ReadLeadingInteger(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  long long value = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    value = value * 10 + (text[pos] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::optional<ViewerCommandLine> ParseViewerCommandLine(std::string_view text) {
  const std::vector<std::string_view> fields = SplitFields(text, 4);
  if (fields.size() < 4) return std::nullopt;
  ViewerCommandLine command;
  command.width = ReadLeadingInteger(fields[0]);
  command.height = ReadLeadingInteger(fields[1]);
  command.caption = fields[2];
  command.url = fields[3];
  return command;
}

std::optional<ViewerCommandLine> ParseViewerArguments(int argc, const char* const argv[]) {
  if (argc < 2 || argv[1] == nullptr) return std::nullopt;
  std::string_view text = argv[1];
  while (!text.empty() && IsSeparatorByte(text.front())) text.remove_prefix(1);
  return ParseViewerCommandLine(text);
}

bool KeepsBuiltInCaption(std::string_view caption) { return caption == "-"; }

std::string NavigableUrl(std::string_view url) {
  if (!url.empty() && url.back() == '\n') url.remove_suffix(1);
  return std::string(url);
}
