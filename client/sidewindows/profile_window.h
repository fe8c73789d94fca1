// The profile window: a user's profile.
#pragma once
#include "client/platform/ui.h"

// Handler of the profile message; gets the text after the type letter.
void HandleProfileMessage(char* text);

// A click on a character: closes the open profile window, or else asks the
// server for the profile of user_number (not 0).
void ToggleProfileWindow(platform::WindowHandle owner, int user_number);

// Sends "q" with the user number; the result of SendRequest.
int SendProfileQuery(int user_number);

// The user whose profile was asked for last.
extern int ProfileUserNumber;
