// The profile window: a user's handle name and profile text, with the
// friend registration and the community page for other users, and the
// points, health and editable profile text for the user's own profile.
#pragma once
#include <string_view>

#include "client/platform/ui.h"

// The profile text the client stores for an empty own profile.
inline constexpr char kNoProfileText[] = "no profile";
inline constexpr int kProfileHandleNameSize = 36;
// The longest request "q" or "u", letter included.
inline constexpr int kMaxProfileRequest = 127;

// The user whose profile was asked for last.
extern int ProfileUserNumber;
// The handle name of the last profile shown while a window was open.
extern char ProfileHandleName[kProfileHandleNameSize];

// Handler of the profile message; gets the text after the type letter.
void HandleProfileMessage(char* text);

// A click on a character: closes the open profile window, or else asks the
// server for the profile of user_number (not 0) and opens the window.
void ToggleProfileWindow(platform::WindowHandle owner, int user_number);

// The open profile window, or null.
platform::WindowHandle GetProfileWindow();

// Send "q" and "u": the result of SendRequest (0 sent, -1 failed). A "u"
// that would not fit kMaxProfileRequest bytes is not sent (-1).
int SendProfileQuery(int user_number);
int SendProfileUpdate(int user_number, std::string_view profile_text, std::string_view points);
