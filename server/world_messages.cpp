#include "world_messages.h"

#include <charconv>
#include <vector>

#include "wire_fields.h"

namespace posyvaled {
namespace {

// Splits `text` and checks the field count.
std::optional<std::vector<std::string>> FieldsOf(std::string_view text, std::size_t count) {
  std::vector<std::string> fields = SplitFields(text);
  if (fields.size() != count) return std::nullopt;
  return fields;
}

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string Join(char letter, std::initializer_list<int> numbers) {
  std::string text(1, letter);
  bool first = true;
  for (int number : numbers) {
    if (!first) text += ',';
    text += std::to_string(number);
    first = false;
  }
  return text;
}

}  // namespace

std::optional<int> ParseWholeNumber(std::string_view text) {
  std::string_view digits = text.substr(text.starts_with('-') ? 1 : 0);
  if (!IsDigits(digits)) return std::nullopt;
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<MoveRequest> ParseMoveRequest(std::string_view text) {
  auto fields = FieldsOf(text, 4);
  if (!fields) return std::nullopt;
  auto user = ParseWholeNumber((*fields)[0]);
  auto x = ParseWholeNumber((*fields)[1]);
  auto y = ParseWholeNumber((*fields)[2]);
  auto map = ParseWholeNumber((*fields)[3]);
  if (!user || !x || !y || !map) return std::nullopt;
  return MoveRequest{*user, *x, *y, *map};
}

std::optional<ChatRequest> ParseChatRequest(std::string_view text) {
  // The client refuses chat lines with a comma, so a second comma means the
  // request was not made by it.
  auto fields = FieldsOf(text, 2);
  if (!fields) return std::nullopt;
  auto user = ParseWholeNumber((*fields)[0]);
  if (!user || (*fields)[1].size() > kMaxBalloonBytes) return std::nullopt;
  return ChatRequest{*user, (*fields)[1]};
}

std::optional<PlacePresentRequest> ParsePlacePresentRequest(std::string_view text) {
  // Item id, appearance (always that of the present picture), x, y, map.
  auto fields = FieldsOf(text, 5);
  if (!fields || !IsDigits((*fields)[0])) return std::nullopt;
  auto item_id = ParseWholeNumber((*fields)[0]);
  auto appearance = ParseWholeNumber((*fields)[1]);
  auto x = ParseWholeNumber((*fields)[2]);
  auto y = ParseWholeNumber((*fields)[3]);
  auto map = ParseWholeNumber((*fields)[4]);
  if (!item_id || *item_id <= 0 || appearance != kPresentAppearance || !x || !y || !map) {
    return std::nullopt;
  }
  return PlacePresentRequest{*item_id, *x, *y, *map};
}

std::optional<int> ParsePickUpRequest(std::string_view text) {
  std::optional<int> id = ParseWholeNumber(text);
  if (!id || *id >= 0) return std::nullopt;
  return id;
}

std::optional<UseItemRequest> ParseUseItemRequest(std::string_view text) {
  auto fields = FieldsOf(text, 2);
  if (!fields) return std::nullopt;
  const std::string& code = (*fields)[0];
  bool ordinary = code.starts_with('i') && IsDigits(std::string_view(code).substr(1));
  auto item_id = ParseWholeNumber((*fields)[1]);
  if (!(ordinary || IsDigits(code)) || !item_id || *item_id <= 0) return std::nullopt;
  return UseItemRequest{code, *item_id};
}

std::string FormatArrival(int id, int appearance, int x, int y, int map) {
  return Join('a', {id, appearance, x, y, map});
}

std::string FormatDeparture(int id) { return Join('d', {id}); }

std::string FormatMove(int id, int x, int y, int map) { return Join('m', {id, x, y, map}); }

std::string FormatChat(int id, std::string_view text) {
  std::string message = Join('c', {id});
  message += ',';
  message += text;
  return message;
}

std::string FormatAppearance(int id, int appearance) { return Join('e', {id, appearance}); }

std::string FormatTicker(std::string_view text) { return "o" + std::string(text); }

}  // namespace posyvaled
