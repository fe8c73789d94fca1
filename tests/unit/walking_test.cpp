// Walking with the arrow keys: steps, map changes, move requests and the
// spots that open a page when walked into.
#include "client/world/walking.h"

#include <gtest/gtest.h>

#include "client/platform/ui.h"
#include "client/session/login.h"
#include "client/session/service.h"
#include "client/world/world_state.h"
#include "tests/support/fake_viewer.h"
#include "tests/support/loopback_server.h"

namespace {

using platform::VK_DOWN;
using platform::VK_LEFT;
using platform::VK_RIGHT;
using platform::VK_UP;

void PlaceOwn(int map, int left, int top) {
  MapNumber = map;
  OwnAvatar.rect = {left, top, left + 32, top + 32};
}

class WalkingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OwnAvatar = {};
    OwnAvatar.user_number = 7;
    ResetWalkInFlags();
    ServiceHost = "svc.example";
    SessionIdentity = {"hana", "p@ss word"};
  }
  testsupport::LoopbackServer server_;
};

TEST_F(WalkingTest, ArrowKeysStepOrChangeTheMapAndTellTheServer) {
  struct Case {
    int map, left, top, key;
    int new_map, new_left, new_top;  // equal to the old values: nothing happens
  };
  const Case cases[] = {
      {0, 100, 200, VK_UP, 0, 100, 195},    {0, 100, 200, VK_DOWN, 0, 100, 205},
      {0, 100, 200, VK_RIGHT, 0, 105, 200}, {0, 100, 200, VK_LEFT, 0, 95, 200},
      {0, 100, 50, VK_UP, 1, 100, 447},     {1, 100, 50, VK_UP, 4, 100, 447},
      {3, 100, 50, VK_UP, 2, 100, 447},     {1, 100, 443, VK_DOWN, 0, 100, 47},
      {2, 100, 443, VK_DOWN, 3, 100, 47},   {4, 100, 443, VK_DOWN, 1, 100, 47},
      {0, 602, 200, VK_RIGHT, 3, 2, 200},   {1, 600, 200, VK_RIGHT, 2, 2, 200},
      {2, 2, 200, VK_LEFT, 1, 602, 200},    {3, 2, 200, VK_LEFT, 0, 602, 200},
      // Edges without a neighbour.
      {0, 5, 200, VK_LEFT, 0, 5, 200},      {0, 100, 443, VK_DOWN, 0, 100, 443},
      {1, 5, 200, VK_LEFT, 1, 5, 200},      {2, 100, 50, VK_UP, 2, 100, 50},
      {2, 600, 200, VK_RIGHT, 2, 600, 200}, {3, 600, 200, VK_RIGHT, 3, 600, 200},
      {3, 100, 443, VK_DOWN, 3, 100, 443},  {4, 100, 47, VK_UP, 4, 100, 47},
      {4, 5, 200, VK_LEFT, 4, 5, 200},      {4, 600, 200, VK_RIGHT, 4, 600, 200},
      {5, 5, 200, VK_LEFT, 5, 5, 200},      {0, 100, 200, 'A', 0, 100, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "map " << c.map << " at " << c.left << "," << c.top << " key " << c.key);
    PlaceOwn(c.map, c.left, c.top);
    HandleWalkKey(c.key);
    EXPECT_EQ(MapNumber, c.new_map);
    EXPECT_EQ(OwnAvatar.rect.left, c.new_left);
    EXPECT_EQ(OwnAvatar.rect.top, c.new_top);
    EXPECT_EQ(OwnAvatar.rect.right, c.new_left + 32);
    EXPECT_EQ(OwnAvatar.rect.bottom, c.new_top + 32);
    const bool moved = c.new_map != c.map || c.new_left != c.left || c.new_top != c.top;
    if (moved) {
      EXPECT_EQ(server_.NextRequest(), "m7," + std::to_string(c.new_left) + "," + std::to_string(c.new_top) +
                                           "," + std::to_string(c.new_map));
    }
  }
  EXPECT_EQ(server_.NextRequest(200), "") << "a key that did not move sent a request";
}

TEST_F(WalkingTest, HoldingDownWalksToTheEdgeThenChangesTheMapAndBack) {
  PlaceOwn(1, 100, 400);
  int presses = 0;
  while (MapNumber == 1 && presses < 100) {
    HandleWalkKey(VK_DOWN);
    ++presses;
  }
  EXPECT_EQ(presses, 10);  // 9 steps to bottom 477, then the map change
  EXPECT_EQ(MapNumber, 0);
  EXPECT_EQ(OwnAvatar.rect.top, 47);
  HandleWalkKey(VK_UP);  // just beyond the step limit: straight back
  EXPECT_EQ(MapNumber, 1);
  EXPECT_EQ(OwnAvatar.rect.top, 447);
}

TEST_F(WalkingTest, WalkInSpotsOpenTheirPageOnceEachTimeTheyAreEntered) {
  testsupport::FakeViewer viewer;
  // Feet at (266, 427): inside the girls' character shop on map 0.
  PlaceOwn(0, 250, 395);
  HandleWalkKey('A');
  HandleWalkKey('B');  // still inside: not again
  auto started = viewer.Started(2, 300);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], "650@500@女の子用キャラクタ@http://svc.example/ItemShop/f.php?id=hana&pass=p%40ss%20word");

  HandleWalkKey(VK_LEFT);   // out of the spot
  HandleWalkKey(VK_RIGHT);  // and in again
  EXPECT_EQ(viewer.Started(2).size(), 2u);

  struct Case {
    int map, left, top;
    const char* page;
  };
  const Case cases[] = {
      {0, 260, 160, "650@500@男の子用キャラクタ@http://svc.example/ItemShop/m.php"},
      {0, 370, 280, "700@500@Posyvale_伝言版@http://svc.example/bbs/shortBBS2.php"},
      {1, 370, 280, "700@500@Posyvale_伝言版@http://svc.example/bbs/shortBBS2.php"},
      {3, 110, 420, "650@500@アイテムＳｈｏｐ@http://svc.example/ItemShop/item.php"},
  };
  std::size_t expected = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    PlaceOwn(c.map, 200, 100);  // somewhere outside every spot clears the flags
    HandleWalkKey('A');
    PlaceOwn(c.map, c.left, c.top);
    HandleWalkKey('A');
    started = viewer.Started(++expected);
    ASSERT_EQ(started.size(), expected);
    EXPECT_EQ(started.back().rfind(c.page, 0), 0u) << started.back();
  }
  // Map 4 has no spots; the board spot does nothing on map 2.
  PlaceOwn(4, 370, 280);
  HandleWalkKey('A');
  PlaceOwn(2, 370, 280);
  HandleWalkKey('A');
  EXPECT_EQ(viewer.Started(expected + 1, 300).size(), expected);
}

}  // namespace
