// The postcard mailbox: receives the cards waiting on the server into
// postcard files "mail/<n>.hgk", lists them, shows, deletes and answers them.
//
// A postcard file (CP932, CR LF line ends): line 1 the sender's handle name,
// a TAB and the sender's user number; line 2 the subject; line 3 the sending
// date, a blank and the time in square brackets; then the message lines. A
// card that has been shown carries the read mark: its name starts with "0".
#pragma once
#include <string>

#include "client/platform/ui.h"

inline constexpr int kCardSenderLineSize = 127;

// Line 1 of the card shown last; empty before any card was shown.
extern char CurrentCardSenderLine[kCardSenderLineSize];
// The counter shown on the receive button.
extern int ReceivedCount;

// Handler of the postcard messages; gets the text after the type letter.
void HandlePostcardMessage(char* text);

// Opens the mailbox window owned by `owner`, or keeps the open one (also one
// hidden by a reply).
void OpenMailbox(platform::WindowHandle owner);
// The mailbox window, or null when none is open.
platform::WindowHandle GetMailbox();
// Its card list (which shares the receive button's id), or null.
platform::WindowHandle GetCardList();

// The unread card file of number n: InstallDir + "mail/<n>.hgk".
std::string CardFilePath(int number);
// The name of a card file with the read mark: "0" before the file name.
std::string ReadCardPath(const std::string& path);
// The number a new card takes: the smallest from 1 up whose file exists
// neither unread nor read, so that marking a card read never meets another
// card's file.
int NextCardNumber();
