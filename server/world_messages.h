#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace posyvaled {

// Appearance number of the present picture: every present on the scene is
// drawn with it, whatever item it holds.
inline constexpr int kPresentAppearance = 34;

// The longest balloon and ticker texts the client can hold.
inline constexpr std::size_t kMaxBalloonBytes = 127;
inline constexpr std::size_t kMaxTickerBytes = 155;

// Requests of a logged-in client, as read from the text after their letter.
// Every parser is strict: it wants exactly the fields the client sends, each
// number in plain decimal, and gives nothing for anything else.

// "m": a move to (x, y) on `map`.
struct MoveRequest {
  int user_number = 0;
  int x = 0;
  int y = 0;
  int map = 0;
};
std::optional<MoveRequest> ParseMoveRequest(std::string_view text);

// "c": a chat line; `text` is the whole balloon text ("handle> typed").
struct ChatRequest {
  int user_number = 0;
  std::string text;
};
std::optional<ChatRequest> ParseChatRequest(std::string_view text);

// "a-": put the item `item_id` down as a present at (x, y) on `map`. The
// client shows it at once under the id -item_id.
struct PlacePresentRequest {
  int item_id = 0;
  int x = 0;
  int y = 0;
  int map = 0;
};
// `text` follows "a-".
std::optional<PlacePresentRequest> ParsePlacePresentRequest(std::string_view text);

// "d": pick up the present with this (negative) id.
std::optional<int> ParsePickUpRequest(std::string_view text);

// "e": use an item. An item code of digits is an appearance item.
struct UseItemRequest {
  std::string item_code;
  int item_id = 0;
};
std::optional<UseItemRequest> ParseUseItemRequest(std::string_view text);

// A number in plain decimal with an optional minus sign that fits an int.
std::optional<int> ParseWholeNumber(std::string_view text);

// Messages to clients.
std::string FormatArrival(int id, int appearance, int x, int y, int map);
std::string FormatDeparture(int id);
std::string FormatMove(int id, int x, int y, int map);
std::string FormatChat(int id, std::string_view text);
std::string FormatAppearance(int id, int appearance);
std::string FormatTicker(std::string_view text);

}  // namespace posyvaled
