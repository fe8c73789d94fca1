// The items window: the user's inventory.
#pragma once
#include "client/platform/ui.h"

// Handler of the inventory message; gets the text after the type letter.
void HandleItemsMessage(char* text);

void OpenItemsWindow(platform::WindowHandle owner);
platform::WindowHandle GetItemsWindow();

// The id of the item chosen to be given as a present (at most 31 bytes), or
// empty; the next click on the scene places it.
inline constexpr int kPresentIdSize = 32;
extern char PendingPresentId[kPresentIdSize];
