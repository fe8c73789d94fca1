// Clicks on the scene and the chat line typed under it.
#pragma once
#include <string>

#include "client/platform/ui.h"

// True while the chat log window is shown; flipped by its hot zone.
extern bool ChatLogShown;

// The version information shown by the about hot zone.
std::string AboutText();

// A left-button release at (x, y) in scene pixels: places a waiting present,
// acts on the hot zones and the characters under the pointer, and returns
// the keyboard to move mode.
void HandleSceneClick(int x, int y);

// Sends the line typed into the chat input and shows it in the own balloon.
void SendChatLine(platform::WindowHandle main_window);
