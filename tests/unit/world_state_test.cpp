// The world messages and the table of characters.
#include "client/world/world_state.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "client/platform/clock.h"

namespace {

std::uint32_t fake_now = 0;
std::uint32_t FakeTick() { return fake_now; }

class WorldStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    std::memset(&TickerText, 0, sizeof TickerText);
    fake_now = 1000;
    platform::SetTickSource(FakeTick);
  }
  void TearDown() override { platform::SetTickSource(nullptr); }

  // Handlers take a writable buffer, as the dispatcher hands them one.
  static void Send(void (*handler)(char*), const std::string& text) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "%s", text.c_str());
    handler(buffer);
  }
};

TEST_F(WorldStateTest, ArrivalsTakeTheFirstFreeSlotUntilTheTableIsFull) {
  Send(HandleArrivalMessage, "7,1,10,0,0");  // y 0: stored, but the slot stays free
  EXPECT_EQ(AvatarTable.id[0], 7);
  EXPECT_EQ(AvatarTable.rect[0].top, 0);
  for (int id = 1; id <= kAvatarSlots; ++id) Send(HandleArrivalMessage, std::to_string(id) + ",2,10,20,1");
  EXPECT_EQ(AvatarTable.id[0], 1) << "the free slot was taken again";
  EXPECT_EQ(AvatarTable.id[kAvatarSlots - 1], kAvatarSlots);
  const AvatarTableState before = AvatarTable;
  Send(HandleArrivalMessage, "99,2,10,20,1");
  EXPECT_EQ(std::memcmp(&before, &AvatarTable, sizeof before), 0) << "a 36th arrival must be dropped";

  const SceneRect rect = AvatarTable.rect[3];
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right, 40);
  EXPECT_EQ(rect.bottom, 50);
  EXPECT_EQ(AvatarTable.map[3], 1);
}

TEST_F(WorldStateTest, MessagesParseTheirFieldsAndIgnoreShortOnes) {
  Send(HandleArrivalMessage, "12,,3,100,200,1");  // an empty field is skipped
  EXPECT_EQ(AvatarTable.id[0], 12);
  EXPECT_EQ(AvatarTable.appearance[0], 3);
  EXPECT_EQ(AvatarTable.rect[0].left, 100);
  EXPECT_EQ(AvatarTable.rect[0].top, 200);
  EXPECT_EQ(AvatarTable.map[0], 1);

  const AvatarTableState before = AvatarTable;
  for (const char* text : {"12,3,100,200"}) Send(HandleArrivalMessage, text);
  for (const char* text : {"12,7,8"}) Send(HandleMoveMessage, text);
  for (const char* text : {"12", "12,"}) Send(HandleChatMessage, text);
  for (const char* text : {"12"}) Send(HandleAppearanceMessage, text);
  Send(HandleDepartureMessage, "");
  EXPECT_EQ(std::memcmp(&before, &AvatarTable, sizeof before), 0) << "a short message changed the table";

  Send(HandleMoveMessage, "12,300,400,2");
  EXPECT_EQ(AvatarTable.rect[0].left, 300);
  EXPECT_EQ(AvatarTable.rect[0].bottom, 430);
  EXPECT_EQ(AvatarTable.map[0], 2);
  Send(HandleAppearanceMessage, "12,9");
  EXPECT_EQ(AvatarTable.appearance[0], 9);
  Send(HandleMoveMessage, "12,300,0,2");
  EXPECT_EQ(AvatarTable.rect[0].top, 0) << "a move to top 0 frees the slot";
}

TEST_F(WorldStateTest, SameIdActsOnTheLowerSlotAndFreedSlotsKeepTheirData) {
  Send(HandleArrivalMessage, "5,1,10,20,0");
  Send(HandleArrivalMessage, "5,2,30,40,0");
  Send(HandleChatMessage, "5,hello, world");
  EXPECT_STREQ(AvatarTable.balloon_text[0], "hello") << "the text ends at the first comma";
  EXPECT_STREQ(AvatarTable.balloon_text[1], "");
  Send(HandleAppearanceMessage, "5,8");
  EXPECT_EQ(AvatarTable.appearance[0], 8);
  EXPECT_EQ(AvatarTable.appearance[1], 2);

  Send(HandleDepartureMessage, "5");
  EXPECT_EQ(AvatarTable.rect[0].top, 0);
  EXPECT_EQ(AvatarTable.rect[1].top, 40);
  EXPECT_EQ(AvatarTable.id[0], 5) << "freeing keeps the id";
  fake_now = 2000;
  Send(HandleChatMessage, "5,again");
  EXPECT_STREQ(AvatarTable.balloon_text[0], "again") << "a chat updates the freed slot";
  EXPECT_EQ(AvatarTable.balloon_expiry[0], 8000u);

  // A newcomer in the freed slot shows the former occupant's balloon.
  Send(HandleArrivalMessage, "6,3,50,60,0");
  EXPECT_EQ(AvatarTable.id[0], 6);
  EXPECT_STREQ(AvatarTable.balloon_text[0], "again");
  EXPECT_TRUE(BalloonShown(AvatarTable.balloon_expiry[0], 2000 + 5999));
  EXPECT_FALSE(BalloonShown(AvatarTable.balloon_expiry[0], 2000 + 6000));

  Send(HandleDepartureMessage, "404");  // unknown ids are ignored
  EXPECT_EQ(AvatarTable.rect[1].top, 40);
}

TEST_F(WorldStateTest, ChatLeavesItsBufferUnchangedAndCutsLongTextsWhole) {
  Send(HandleArrivalMessage, "5,1,10,20,0");
  char buffer[256] = "5,hi,there";
  HandleChatMessage(buffer);
  EXPECT_STREQ(buffer, "5,hi,there");

  // 126 bytes and a double-byte character: the character does not fit in 127.
  const std::string text = std::string(126, 'x') + "\x82\xA0";
  Send(HandleChatMessage, "5," + text);
  EXPECT_EQ(std::string(AvatarTable.balloon_text[0]), std::string(126, 'x'));
}

TEST_F(WorldStateTest, TickerKeepsItsCommasForSixtySeconds) {
  Send(HandleTickerMessage, "news, more news");
  fake_now = 1000 + 60000;
  EXPECT_STREQ(ReadTickerText(), "news, more news");
  fake_now = 1000 + 60001;
  EXPECT_STREQ(ReadTickerText(), "");

  Send(HandleTickerMessage, "first");
  fake_now += 30000;
  Send(HandleTickerMessage, "second");
  fake_now += 59000;
  EXPECT_STREQ(ReadTickerText(), "second") << "a new text restarts the 60 seconds";

  Send(HandleTickerMessage, std::string(154, 'y') + "\x82\xA0");
  EXPECT_EQ(std::string(ReadTickerText()), std::string(154, 'y'));
}

}  // namespace
