#include "client/world/walking.h"

#include <cstdio>

#include "client/community/mailbox.h"
#include "client/platform/ui.h"
#include "client/session/connection.h"
#include "client/session/login.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/startup.h"
#include "client/world/hot_zones.h"
#include "client/world/world_state.h"

namespace {

constexpr int kStep = 5;

// Step limits inside a map.
constexpr int kTopLimit = 50;
constexpr int kBottomLimit = 475;
constexpr int kRightLimit = 600;
constexpr int kLeftLimit = 5;

struct MapChange {
  int key;
  int from_map;
  int to_map;
};

// Map neighbours: 4 above 1, 1 above 0, 2 right of 1 and above 3, 3 right
// of 0.
constexpr MapChange kMapChanges[] = {
    {platform::VK_UP, 0, 1},    {platform::VK_UP, 1, 4},     {platform::VK_UP, 3, 2},
    {platform::VK_DOWN, 1, 0},  {platform::VK_DOWN, 2, 3},   {platform::VK_DOWN, 4, 1},
    {platform::VK_RIGHT, 0, 3}, {platform::VK_RIGHT, 1, 2},  {platform::VK_LEFT, 2, 1},
    {platform::VK_LEFT, 3, 0},
};

enum WalkInFlag { kGirlsFlag, kBoysFlag, kBoardFlag, kMailboxFlag, kItemShopFlag, kWalkInFlagCount };
bool WalkInFlags[kWalkInFlagCount];

void MoveRect(int dx, int dy) {
  OwnAvatar.rect.left += dx;
  OwnAvatar.rect.right += dx;
  OwnAvatar.rect.top += dy;
  OwnAvatar.rect.bottom += dy;
}

void PlaceVertically(int top) {
  OwnAvatar.rect.top = top;
  OwnAvatar.rect.bottom = top + kOwnAvatarSize;
}

void PlaceHorizontally(int left) {
  OwnAvatar.rect.left = left;
  OwnAvatar.rect.right = left + kOwnAvatarSize;
}

bool StepInsideMap(int key) {
  const SceneRect& own = OwnAvatar.rect;
  switch (key) {
    case platform::VK_UP:
      if (own.top <= kTopLimit) return false;
      MoveRect(0, -kStep);
      return true;
    case platform::VK_DOWN:
      if (own.bottom >= kBottomLimit) return false;
      MoveRect(0, kStep);
      return true;
    case platform::VK_RIGHT:
      if (own.left >= kRightLimit) return false;
      MoveRect(kStep, 0);
      return true;
    case platform::VK_LEFT:
      if (own.left <= kLeftLimit) return false;
      MoveRect(-kStep, 0);
      return true;
    default:
      return false;
  }
}

// At an edge: moves onto the neighbouring map, arriving just beyond the
// step limit of the opposite direction.
bool ChangeMap(int key) {
  for (const MapChange& change : kMapChanges) {
    if (change.key != key || change.from_map != MapNumber) continue;
    switch (key) {
      case platform::VK_UP: PlaceVertically(447); break;
      case platform::VK_DOWN: PlaceVertically(47); break;
      case platform::VK_RIGHT: PlaceHorizontally(2); break;
      case platform::VK_LEFT: PlaceHorizontally(602); break;
    }
    MapNumber = change.to_map;
    return true;
  }
  return false;
}

void SendMoveRequest() {
  char request[64];
  std::snprintf(request, sizeof request, "m%d,%d,%d,%d", OwnAvatar.user_number, OwnAvatar.rect.left,
                OwnAvatar.rect.top, MapNumber);
  SendRequest(request);
}

void OpenShopPage(int width, const char* title, const char* page) {
  OpenPageViewer(width, 500, title, LoginPageUrl(page));
}

void OpenMailboxHere() {
  OpenMailbox(MainWindow);
  CenterWindow(GetMailbox(), 0, 0);
}

// Opens a spot's target once each time the character's feet enter it.
template <typename Open>
void CheckWalkIn(const HotZone& zone, WalkInFlag flag, Open open) {
  const int inside = PointInZone(zone, OwnAvatar.rect.left + 16, OwnAvatar.rect.top);
  if (!inside) {
    WalkInFlags[flag] = false;
  } else if (!WalkInFlags[flag]) {
    open();
    WalkInFlags[flag] = true;
  }
}

void RunWalkInChecks() {
  switch (MapNumber) {
    case 0:
      CheckWalkIn(GirlsCharacterZone, kGirlsFlag, [] { OpenShopPage(650, "女の子用キャラクタ", kGirlsCharacterPage); });
      CheckWalkIn(BoysCharacterZone, kBoysFlag, [] { OpenShopPage(650, "男の子用キャラクタ", kBoysCharacterPage); });
      CheckWalkIn(BoardZone, kBoardFlag, [] { OpenShopPage(700, "Posyvale_伝言版", kBoardPage); });
      break;
    case 1:
      CheckWalkIn(BoardZone, kBoardFlag, [] { OpenShopPage(700, "Posyvale_伝言版", kBoardPage); });
      break;
    case 2:
      CheckWalkIn(MailboxZone, kMailboxFlag, OpenMailboxHere);
      break;
    case 3:
      CheckWalkIn(ItemShopZone, kItemShopFlag, [] { OpenShopPage(650, "アイテムＳｈｏｐ", kItemShopPage); });
      break;
    default:
      break;
  }
}

}  // namespace

int PointInZone(const HotZone& zone, int x, int y) {
  const int shifted = y + 32;
  return zone.left < x && x < zone.right && zone.top < shifted && shifted < zone.bottom ? 1 : 0;
}

void HandleWalkKey(int virtual_key) {
  const bool arrow = virtual_key == platform::VK_UP || virtual_key == platform::VK_DOWN ||
                     virtual_key == platform::VK_LEFT || virtual_key == platform::VK_RIGHT;
  if (arrow && (StepInsideMap(virtual_key) || ChangeMap(virtual_key))) SendMoveRequest();
  RunWalkInChecks();
}

void ResetWalkInFlags() {
  for (bool& flag : WalkInFlags) flag = false;
}
