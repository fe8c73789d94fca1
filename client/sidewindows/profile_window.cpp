#include "client/sidewindows/profile_window.h"

// The handling arrives with the profile window.
void HandleProfileMessage(char*) {}
