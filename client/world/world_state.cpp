#include "client/world/world_state.h"

#include <cstring>
#include <string_view>

#include "client/platform/clock.h"
#include "client/platform/text.h"
#include "client/session/wire_fields.h"

AvatarTableState AvatarTable;
OwnAvatarState OwnAvatar;
std::int32_t MapNumber = 0;
TickerTextState TickerText;

namespace {

// Copies text into a fixed buffer, cut so it fits with its terminator and
// never ends inside a double-byte character.
template <std::size_t N>
void CopyText(char (&target)[N], std::string_view text) {
  const std::string_view fitted = platform::Cp932Prefix(text, N - 1);
  std::memcpy(target, fitted.data(), fitted.size());
  target[fitted.size()] = '\0';
}

// The fields of a message, or none when it has fewer than `wanted`: a short
// message is ignored whole rather than half applied.
bool SplitExactly(const char* text, int wanted, WireFields& fields) {
  fields = SplitWireFields(text, wanted);
  return fields.count == wanted;
}

SceneRect SlotRect(int x, int y) { return {x, y, x + kSlotAvatarSize, y + kSlotAvatarSize}; }

int FirstFreeSlot() {
  for (int slot = 0; slot < kAvatarSlots; ++slot) {
    if (AvatarTable.rect[slot].top == 0) return slot;
  }
  return -1;
}

}  // namespace

int FindAvatarSlot(std::int32_t id) {
  for (int slot = 0; slot < kAvatarSlots; ++slot) {
    if (AvatarTable.id[slot] == id) return slot;
  }
  return -1;
}

// "a": id, appearance, x, y, map. A second arrival of the same id takes a
// second slot; the slot's old balloon stays.
void HandleArrivalMessage(char* text) {
  WireFields fields;
  if (!SplitExactly(text, 5, fields)) return;
  const int slot = FirstFreeSlot();
  if (slot < 0) return;  // all slots in use
  AvatarTable.id[slot] = ReadWireInt(fields.field[0]);
  AvatarTable.appearance[slot] = ReadWireInt(fields.field[1]);
  AvatarTable.map[slot] = ReadWireInt(fields.field[4]);
  AvatarTable.rect[slot] = SlotRect(ReadWireInt(fields.field[2]), ReadWireInt(fields.field[3]));
}

// "d": id. Frees the slot by clearing its top; the rest of it stays.
void HandleDepartureMessage(char* text) {
  if (SplitWireFields(text, 1).count == 0) return;
  const int slot = FindAvatarSlot(ReadWireInt(text));
  if (slot >= 0) AvatarTable.rect[slot].top = 0;
}

// "c": id, balloon text (up to the next comma). Reads the text without
// changing it: the chat log reads the same buffer afterwards.
void HandleChatMessage(char* text) {
  WireFields fields;
  if (!SplitExactly(text, 2, fields)) return;
  const int slot = FindAvatarSlot(ReadWireInt(fields.field[0]));
  if (slot < 0) return;
  CopyText(AvatarTable.balloon_text[slot], fields.field[1]);
  AvatarTable.balloon_expiry[slot] = platform::TickCount() + kBalloonLifetimeMs;
}

// "m": id, x, y, map. A move to top 0 frees the slot.
void HandleMoveMessage(char* text) {
  WireFields fields;
  if (!SplitExactly(text, 4, fields)) return;
  const int slot = FindAvatarSlot(ReadWireInt(fields.field[0]));
  if (slot < 0) return;
  AvatarTable.rect[slot] = SlotRect(ReadWireInt(fields.field[1]), ReadWireInt(fields.field[2]));
  AvatarTable.map[slot] = ReadWireInt(fields.field[3]);
}

// "o": the whole rest of the message, commas included, for 60 seconds.
void HandleTickerMessage(char* text) {
  if (*text == '\0') return;
  TickerText.expiry = platform::TickCount() + kTickerLifetimeMs;
  CopyText(TickerText.text, text);
}

// "e": id, appearance.
void HandleAppearanceMessage(char* text) {
  WireFields fields;
  if (!SplitExactly(text, 2, fields)) return;
  const int slot = FindAvatarSlot(ReadWireInt(fields.field[0]));
  if (slot >= 0) AvatarTable.appearance[slot] = ReadWireInt(fields.field[1]);
}

const char* ReadTickerText() {
  if (TickerText.expiry < platform::TickCount()) TickerText.text[0] = '\0';
  return TickerText.text;
}
