// The main window: the scene and the row of controls under it.
#pragma once
#include "client/platform/ui.h"

extern platform::WindowHandle ChatInput;
extern platform::WindowHandle SendButton;
extern platform::WindowHandle ModeButton;

// The window procedure of the main window.
platform::MainWindowProc& TheMainWindowProc();

// Shows the move-mode picture on the button when move_mode is true, the
// speech-mode picture otherwise.
void SetModeButtonImage(platform::WindowHandle button, bool move_mode);
