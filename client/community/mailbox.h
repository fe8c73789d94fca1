// The postcard mailbox.
#pragma once

// Handler of the postcard messages; gets the text after the type letter.
void HandlePostcardMessage(char* text);
