// Clicks on the scene and the chat line, with the real main window.
#include <cstring>

#include <gtest/gtest.h>

#include "client/community/items_window.h"
#include "client/platform/clock.h"
#include "client/resources/templates.h"
#include "client/session/login.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/startup.h"
#include "client/world/main_window.h"
#include "client/world/scene_clicks.h"
#include "client/world/world_state.h"
#include "tests/support/fake_viewer.h"
#include "tests/support/loopback_server.h"
#include "tests/support/modal_script.h"

namespace {

std::uint32_t fake_now = 0;
std::uint32_t FakeTick() { return fake_now; }

class SceneClickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    OwnAvatar = {};
    OwnAvatar.user_number = 7;
    std::strcpy(OwnAvatar.handle_name, "Hana");
    OwnAvatar.rect = {400, 300, 432, 332};
    MapNumber = 1;
    PendingPresentId[0] = '\0';
    ServiceHost = "svc.example";
    fake_now = 50000;
    platform::SetTickSource(FakeTick);
    ASSERT_EQ(CreateMainWindow(), 1);
  }

  void TearDown() override {
    platform::SetTickSource(nullptr);
    platform::DestroyWindow(MainWindow);
    MainWindow = nullptr;
  }

  testsupport::LoopbackServer server_;
};

TEST_F(SceneClickTest, ExitZoneAsksBeforeEndingAndAnswersThirtyTwoPixelsAboveItsRectangle) {
  testsupport::ModalScript script;
  script.Answer(platform::IDNO);
  HandleSceneClick(50, 20);  // 20 + 32 = 52 lies inside 35..70
  HandleSceneClick(50, 50);  // 82 does not
  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "終了してもよいですか");
  EXPECT_EQ(boxes[0].caption, "終了確認");
  EXPECT_EQ(boxes[0].style, platform::MB_ICONQUESTION | platform::MB_YESNO);
  EXPECT_TRUE(boxes[0].has_owner);
  EXPECT_TRUE(MoveMode);
}

TEST_F(SceneClickTest, AboutZoneShowsTheVersionAndTheServiceSite) {
  testsupport::ModalScript script;
  HandleSceneClick(600, 0);
  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "\nPosyvale Client Program Ver 1.6\n\nhttp://svc.example/");
  EXPECT_EQ(boxes[0].caption, "バージョン情報");
  EXPECT_EQ(boxes[0].style, platform::MB_ICONASTERISK);
}

TEST_F(SceneClickTest, PagesOfTheClickZonesOpenInTheViewer) {
  testsupport::FakeViewer viewer;
  SessionIdentity = {"hana", "pw"};
  HandleSceneClick(380, 290);  // board
  HandleSceneClick(120, 420);  // item shop
  const auto started = viewer.Started(2);
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[0], "700@500@Posyvale_伝言版@http://svc.example/bbs/shortBBS2.php?name=Hana&key2=Qilvor");
  EXPECT_EQ(started[1], "650@500@アイテムＳｈｏｐ@http://svc.example/ItemShop/item.php?id=hana&pass=pw");
}

TEST_F(SceneClickTest, PendingPresentIsPlacedByTheNextClickAndPickedUpByAClickOnIt) {
  std::strcpy(PendingPresentId, "123");
  HandleSceneClick(200, 300);
  EXPECT_EQ(server_.NextRequest(), "a-123,34,200,300,1");
  EXPECT_EQ(PendingPresentId[0], '\0');
  ASSERT_EQ(AvatarTable.id[0], -123);
  EXPECT_EQ(AvatarTable.appearance[0], 34);
  EXPECT_EQ(AvatarTable.map[0], 1);
  EXPECT_EQ(AvatarTable.rect[0].left, 200);
  EXPECT_EQ(AvatarTable.rect[0].bottom, 330);
  EXPECT_EQ(server_.NextRequest(200), "") << "the placing click must not pick the present up";

  HandleSceneClick(210, 305);
  EXPECT_EQ(server_.NextRequest(), "d-123");
  EXPECT_EQ(AvatarTable.rect[0].top, 0);
}

TEST_F(SceneClickTest, ClicksOnCharactersAskForTheirProfileOnAnyMap) {
  char arrival[] = "42,3,100,100,4";  // on another map than the own
  HandleArrivalMessage(arrival);
  HandleSceneClick(110, 105);
  EXPECT_EQ(server_.NextRequest(), "q42");
  HandleSceneClick(410, 305);  // a second click closes the open profile window
  EXPECT_EQ(server_.NextRequest(200), "");
  HandleSceneClick(410, 305);  // the own character
  EXPECT_EQ(server_.NextRequest(), "q7");
  HandleSceneClick(410, 305);
  HandleSceneClick(100, 105);  // the left edge itself is outside
  EXPECT_EQ(server_.NextRequest(200), "");
}

TEST_F(SceneClickTest, ChatLineIsSentShownAndClearedButNotWithAComma) {
  testsupport::ModalScript script;
  platform::SetDlgItemText(MainWindow, resources::kChatInputId, "hello");
  SendChatLine(MainWindow);
  EXPECT_EQ(server_.NextRequest(), "c7,Hana> hello");
  EXPECT_STREQ(OwnAvatar.balloon_text, "Hana> hello");
  EXPECT_EQ(OwnAvatar.balloon_expiry, 56000u);
  EXPECT_EQ(platform::GetDlgItemText(MainWindow, resources::kChatInputId, 63), "");

  fake_now += 1000;
  platform::SetDlgItemText(MainWindow, resources::kChatInputId, "a,b");
  SendChatLine(MainWindow);
  EXPECT_EQ(server_.NextRequest(200), "");
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
  EXPECT_EQ(script.MessageBoxes()[0].text, " ' , ' (コンマ)文字は使用出来ません。");
  EXPECT_EQ(platform::GetDlgItemText(MainWindow, resources::kChatInputId, 63), "a,b");
  EXPECT_STREQ(OwnAvatar.balloon_text, "Hana> a,b") << "the balloon is composed before the check";
  EXPECT_EQ(OwnAvatar.balloon_expiry, 56000u) << "the expiry is not renewed";

  platform::SetDlgItemText(MainWindow, resources::kChatInputId, "");
  SendChatLine(MainWindow);
  EXPECT_EQ(server_.NextRequest(200), "");
}

}  // namespace
