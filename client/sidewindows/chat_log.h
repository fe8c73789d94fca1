// The chat log window beside the scene.
#pragma once
#include "client/platform/ui.h"

// The chat log window, or null before it is created.
platform::WindowHandle GetChatLogWindow();

// Logs a chat message ("c" followed by the speaker and the line) of the
// given length; other texts and lengths below 1 are ignored.
void LogChatMessage(const char* text, int length);
