#include "client/community/items_window.h"

// The handling arrives with the items window.
void HandleItemsMessage(char*) {}
