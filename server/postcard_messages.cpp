#include "postcard_messages.h"

#include <ctime>

#include "wire_fields.h"
#include "world_messages.h"

namespace posyvaled {
namespace {

// strftime of the sending moment in local time.
std::string FormatSentAt(long long sent_at, const char* format) {
  std::time_t moment = static_cast<std::time_t>(sent_at);
  std::tm local{};
  localtime_r(&moment, &local);
  char text[32];
  std::size_t size = std::strftime(text, sizeof text, format, &local);
  return std::string(text, size);
}

}  // namespace

std::optional<PostcardHeader> ParsePostcardHeader(std::string_view text) {
  std::vector<std::string> fields = SplitFields(text);
  if (fields.size() < 3) return std::nullopt;
  std::optional<int> recipient = ParseWholeNumber(fields[0]);
  if (!recipient || fields[1].size() > kMaxPostcardFieldBytes ||
      fields[2].size() > kMaxPostcardFieldBytes) {
    return std::nullopt;
  }
  return PostcardHeader{*recipient, fields[1], fields[2]};
}

std::string FormatSendResult(SendResult result) {
  return "het" + std::to_string(static_cast<int>(result));
}

std::vector<std::string_view> SplitMessagePieces(std::string_view message) {
  std::vector<std::string_view> pieces;
  while (message.size() > kPostcardPieceBytes) {
    pieces.push_back(message.substr(0, kPostcardPieceBytes));
    message.remove_prefix(kPostcardPieceBytes);
  }
  pieces.push_back(message);
  return pieces;
}

std::vector<std::string> FormatPostcardDelivery(const Postcard& card) {
  std::vector<std::string> messages;
  messages.push_back("h1," + FormatSentAt(card.sent_at, "%Y/%m/%d") + "," +
                     FormatSentAt(card.sent_at, "%H:%M") + "," + std::to_string(card.sender) +
                     "," + card.sender_handle_name + "," + card.subject);
  std::vector<std::string_view> pieces = SplitMessagePieces(card.message);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    messages.push_back((i + 1 < pieces.size() ? "h2" : "h3") + std::string(pieces[i]));
  }
  return messages;
}

}  // namespace posyvaled
