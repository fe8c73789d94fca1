// What the client knows of the world: the own character, the other
// characters and placed presents, and the ticker line. Fixed-size state;
// nothing is allocated per message.
#pragma once
#include <cstdint>

struct SceneRect {
  std::int32_t left, top, right, bottom;
};

inline constexpr int kAvatarSlots = 35;
inline constexpr int kBalloonTextSize = 128;
inline constexpr int kHandleNameSize = 32;
inline constexpr int kTickerTextSize = 156;
inline constexpr std::int32_t kOwnAvatarSize = 32;
inline constexpr std::int32_t kSlotAvatarSize = 30;
inline constexpr std::uint32_t kBalloonLifetimeMs = 6000;
inline constexpr std::uint32_t kTickerLifetimeMs = 60000;

// Other characters and placed presents, in parallel arrays indexed by slot.
// A slot is in use exactly when its rectangle's top is not 0; freeing a slot
// only clears its top.
struct AvatarTableState {
  std::int32_t id[kAvatarSlots];
  std::int32_t appearance[kAvatarSlots];
  std::int32_t map[kAvatarSlots];
  SceneRect rect[kAvatarSlots];
  char balloon_text[kAvatarSlots][kBalloonTextSize];
  std::uint32_t balloon_expiry[kAvatarSlots];
};
extern AvatarTableState AvatarTable;

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

struct TickerTextState {
  char text[kTickerTextSize];
  std::uint32_t expiry;
};
extern TickerTextState TickerText;

// The lowest slot whose id equals id, in use or not; -1 when none has it.
int FindAvatarSlot(std::int32_t id);

// Handlers of the world messages; each gets the message text after its
// type letter. The chat handler leaves the text unchanged.
void HandleArrivalMessage(char* text);
void HandleChatMessage(char* text);
void HandleDepartureMessage(char* text);
void HandleAppearanceMessage(char* text);
void HandleMoveMessage(char* text);
void HandleTickerMessage(char* text);

// The current ticker text, emptied once its 60 seconds have passed.
const char* ReadTickerText();

// True while a balloon set with this expiry is shown at tick now.
inline bool BalloonShown(std::uint32_t expiry, std::uint32_t now) { return now < expiry; }
