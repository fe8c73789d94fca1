#include "client/world/world_state.h"

OwnAvatarState OwnAvatar;
std::int32_t MapNumber = 0;

// The other characters are not shown yet: the world messages are accepted
// and ignored until the scene draws them.
void HandleArrivalMessage(char*) {}
void HandleChatMessage(char*) {}
void HandleDepartureMessage(char*) {}
void HandleAppearanceMessage(char*) {}
void HandleMoveMessage(char*) {}
void HandleTickerMessage(char*) {}
