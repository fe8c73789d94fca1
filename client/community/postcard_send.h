// The postcard send window: a card to a friend, sent to the server as a
// header request and the message in pieces.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "client/platform/ui.h"

// The longest recipient and subject taken from the window, and the message
// size from which a card is refused.
inline constexpr std::size_t kRecipientMax = 31;
inline constexpr std::size_t kSubjectMax = 31;
inline constexpr std::size_t kMessageLimit = 800;
// The message goes to the server in pieces of this many bytes.
inline constexpr std::size_t kPieceBytes = 240;

// Opens a new send window owned by `owner`; it becomes the newest one.
void OpenPostcardSender(platform::WindowHandle owner);
// The send window opened last, or null once that one was closed.
platform::WindowHandle GetPostcardSender();

// A reply in the newest window: the first recipient that begins with
// handle_name (letters compared without regard to case) is chosen and
// fixed, and the friend deletion is hidden.
void PresetReplyRecipient(std::string_view handle_name);
// A reply's subject "Re: <subject>" in the newest window.
void PresetReplySubject(std::string_view subject);
// The server's verdict on a sent card, shown in the newest window.
void ShowSendResult(int code);

// Checks the fields of the window and sends the card: 0 when sent (the
// window is then locked), -1 after a warning.
int SendPostcard(platform::WindowHandle window);

// The text of the result line for a result code.
std::string SendResultText(int code);
// The warning for the first check the fields fail, or null when they pass.
const char* CheckPostcard(std::string_view recipient, std::string_view subject, std::string_view message);
// The requests of one card in sending order: "h1<number>,<recipient>,<subject>",
// an "h2" piece for every 240 bytes while more than 240 remain, and "h3"
// with the rest.
std::vector<std::string> PostcardRequests(int number, std::string_view recipient, std::string_view subject,
                                          std::string_view message);
