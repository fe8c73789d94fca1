// The profile window: another user's profile.
#pragma once

// Handler of the profile message; gets the text after the type letter.
void HandleProfileMessage(char* text);
