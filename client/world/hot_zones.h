// The fixed spots of the scene that act on clicks and on walking in.
#pragma once
#include "client/world/world_state.h"

using HotZone = SceneRect;

inline constexpr HotZone ExitZone = {12, 35, 90, 70};
inline constexpr HotZone ItemsZone = {105, 27, 185, 70};
inline constexpr HotZone ChatLogZone = {200, 35, 280, 70};
inline constexpr HotZone AboutZone = {575, 13, 620, 70};
inline constexpr HotZone BoardZone = {374, 310, 398, 332};
inline constexpr HotZone ItemShopZone = {105, 433, 149, 478};
inline constexpr HotZone GirlsCharacterZone = {264, 424, 281, 452};
inline constexpr HotZone BoysCharacterZone = {264, 183, 293, 220};
inline constexpr HotZone MailboxZone = {72, 127, 98, 149};

// 1 when left < x < right and top < y + 32 < bottom: a zone answers for
// points 32 pixels above its rectangle.
int PointInZone(const HotZone& zone, int x, int y);

// Pages of the service web site opened from the scene.
inline constexpr char kBoardPage[] = "/bbs/shortBBS2.php";
inline constexpr char kItemShopPage[] = "/ItemShop/item.php";
inline constexpr char kGirlsCharacterPage[] = "/ItemShop/f.php";
inline constexpr char kBoysCharacterPage[] = "/ItemShop/m.php";
