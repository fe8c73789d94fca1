// The postcard mailbox.
#pragma once
#include "client/platform/ui.h"

// Handler of the postcard messages; gets the text after the type letter.
void HandlePostcardMessage(char* text);

// Opens the mailbox window owned by `owner`, or keeps the open one.
void OpenMailbox(platform::WindowHandle owner);
// The mailbox window, or null when none is open.
platform::WindowHandle GetMailbox();
