#include "client/sidewindows/profile_window.h"

#include <cstdio>

#include "client/session/connection.h"

int ProfileUserNumber = 0;

// The window that shows the answer arrives with the profile work; until then
// a click asks for the profile and the answer is not shown.
void HandleProfileMessage(char*) {}

void ToggleProfileWindow(platform::WindowHandle, int user_number) {
  if (user_number == 0) return;
  ProfileUserNumber = user_number;
  SendProfileQuery(user_number);
}

int SendProfileQuery(int user_number) {
  char request[128];
  std::snprintf(request, sizeof request, "q%d", user_number);
  return SendRequest(request);
}
