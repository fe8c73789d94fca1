// The chat log window beside the scene: every chat line heard on the own
// map and every own line, as plain text that the user can clear and save.
#pragma once
#include <string>
#include <string_view>

#include "client/platform/ui.h"

// The most bytes the log holds, line ends included. Appending beyond it
// drops the oldest whole lines.
inline constexpr std::size_t kChatLogCapacity = 131071;
// Saved lines are cut to this many bytes.
inline constexpr std::size_t kSavedLineMax = 127;

// Creates the (hidden) chat log window owned by `owner` once; returns it.
platform::WindowHandle CreateChatLogWindow(platform::WindowHandle owner);
// The chat log window, or null before it is created.
platform::WindowHandle GetChatLogWindow();

// Logs a chat message ("c" followed by the speaker and the line) of the
// given length when the speaker is the user or stands on the own map;
// other texts and lengths below 1 are ignored.
void LogChatMessage(const char* text, int length);

// Appends a line (with its line end) to the log box and scrolls to it.
void AppendChatLog(platform::WindowHandle log_box, std::string_view line);

// The log text with line appended, without its oldest whole lines when the
// whole would pass kChatLogCapacity bytes.
std::string AppendWithinCapacity(std::string_view log, std::string_view line);

// Asks for the name of a file to save the log in: the desktop's save dialog,
// then the overwrite question for an existing file. "" when given up.
std::string AskSaveFileName(platform::WindowHandle owner);

// 1 when the path names an existing file or folder, else 0.
int FileExists(const std::string& path);
