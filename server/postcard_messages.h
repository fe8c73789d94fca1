#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "account_store.h"

namespace posyvaled {

// A card's message travels in pieces of 240 bytes ("h2") and a last piece
// of 1 to 240 bytes ("h3"), both ways; a message has at most 799 bytes.
inline constexpr std::size_t kPostcardPieceBytes = 240;
inline constexpr std::size_t kMaxPostcardMessageBytes = 799;
// The client reads the recipient's name and the subject up to 31 bytes.
inline constexpr std::size_t kMaxPostcardFieldBytes = 31;
// Undelivered cards one user may have waiting; a card beyond is refused
// with kMailboxFull. A full delivery stays far below a connection's output
// limit.
inline constexpr int kMailboxCapacity = 100;

// The result of sending a card, answered as "het" and the code.
enum class SendResult : int {
  kSent = 0,
  kMailboxFull = 1,
  kNoSuchUser = 2,
  kNameMismatch = 3,
};

// "h1" (text after it): the recipient's user number (0 or -1 when the
// sender's friends list did not give one), the recipient's handle name and
// the subject. A comma in the subject has cut it short on the way; the
// fields after the subject are dropped.
struct PostcardHeader {
  int recipient = 0;
  std::string recipient_handle_name;
  std::string subject;
};
std::optional<PostcardHeader> ParsePostcardHeader(std::string_view text);

std::string FormatSendResult(SendResult result);

// The messages that deliver one card: "h1" with the sending date
// ("2003/05/01") and time ("12:30") in the server's local time, the
// sender's user number and handle name and the subject; then "h2" pieces of
// 240 bytes while more than 240 bytes are left, then "h3" with the rest.
std::vector<std::string> FormatPostcardDelivery(const Postcard& card);
// Ends a delivery.
inline constexpr std::string_view kDeliveryEnd = "h4";

// A message split as it travels: 240-byte pieces while more than 240 bytes
// are left, then the rest.
std::vector<std::string_view> SplitMessagePieces(std::string_view message);

}  // namespace posyvaled
