#include "client/community/items_window.h"

char PendingPresentId[kPresentIdSize] = {};

// The items window and the inventory handling arrive with the inventory;
// until then there is no window to open.
void HandleItemsMessage(char*) {}
void OpenItemsWindow(platform::WindowHandle) {}
platform::WindowHandle GetItemsWindow() { return nullptr; }
