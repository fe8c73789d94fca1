// The items window: the user's inventory.
#pragma once

// Handler of the inventory message; gets the text after the type letter.
void HandleItemsMessage(char* text);
