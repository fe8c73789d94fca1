// State of the running client program shared by every area.
#pragma once
#include <string>

#include "client/platform/ui.h"

// The client's one top-level window.
extern platform::WindowHandle MainWindow;

// The folder of the running client with a trailing "/"; every data file,
// sound and the page viewer are looked up in it.
extern std::string InstallDir;

// True in move mode (arrow keys walk), false in speech mode (typing in the
// chat input).
extern bool MoveMode;
