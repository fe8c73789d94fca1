// What the client knows of the world: the own character, the other
// characters and placed presents, and the ticker line.
#pragma once
#include <cstdint>

struct SceneRect {
  std::int32_t left, top, right, bottom;
};

inline constexpr int kAvatarSlots = 35;
inline constexpr int kBalloonTextSize = 128;
inline constexpr int kHandleNameSize = 32;
inline constexpr std::int32_t kOwnAvatarSize = 32;

struct OwnAvatarState {
  std::int32_t user_number = 0;
  char handle_name[kHandleNameSize] = {};
  std::int32_t appearance = 0;
  SceneRect rect = {};
  char balloon_text[kBalloonTextSize] = {};
  std::uint32_t balloon_expiry = 0;
};

extern OwnAvatarState OwnAvatar;
extern std::int32_t MapNumber;

// Handlers of the world messages; each gets the message text after its
// type letter.
void HandleArrivalMessage(char* text);
void HandleChatMessage(char* text);
void HandleDepartureMessage(char* text);
void HandleAppearanceMessage(char* text);
void HandleMoveMessage(char* text);
void HandleTickerMessage(char* text);
