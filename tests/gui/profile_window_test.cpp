// The profile window with its real widgets: the answer shown, toggling,
// storing the own profile, the friend button and the community page.
#include "client/sidewindows/profile_window.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "client/platform/clock.h"
#include "client/resources/profile_dialog.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/startup.h"
#include "client/world/world_state.h"
#include "tests/support/loopback_server.h"
#include "tests/support/modal_script.h"

namespace {

namespace fs = std::filesystem;

constexpr int kOwn = 7;
constexpr int kOther = 42;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Deliver(const char* message) {
  char text[256];
  std::strcpy(text, message);
  HandleProfileMessage(text);
}

class ProfileWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OwnAvatar = {};
    OwnAvatar.user_number = kOwn;
    std::memset(ProfileHandleName, 0, sizeof ProfileHandleName);
    char pattern[] = "/tmp/posyvale-profile-XXXXXX";
    folder_ = mkdtemp(pattern);
    InstallDir = folder_.string() + "/";
    fs::create_directory(folder_ / "mail");
    ASSERT_EQ(CreateMainWindow(), 1);
  }

  void TearDown() override {
    if (GetProfileWindow()) ToggleProfileWindow(MainWindow, 0);
    platform::DestroyWindow(MainWindow);
    MainWindow = nullptr;
    fs::remove_all(folder_);
  }

  // Clicks a character and expects the query and an open window.
  void Open(int user_number) {
    ToggleProfileWindow(MainWindow, user_number);
    EXPECT_EQ(server_.NextRequest(), "q" + std::to_string(user_number));
    ASSERT_NE(GetProfileWindow(), nullptr);
  }

  std::string Text(int id) const { return platform::GetDlgItemText(GetProfileWindow(), id, 200); }
  bool Shown(int id) const { return platform::IsWindowVisible(platform::GetDlgItem(GetProfileWindow(), id)); }

  testsupport::LoopbackServer server_;
  fs::path folder_;
};

TEST_F(ProfileWindowTest, TheAnswerFillsTheOwnOrTheOtherUsersControls) {
  struct Case {
    int user;
    const char* message;
    const char* handle;
    const char* text;
    const char* points;
    const char* health;
  };
  const Case cases[] = {
      {kOwn, "Hana,hello,120,250", "Hana", "hello", "120", "2"},
      {kOwn, "Hana,hello,120,99", "Hana", "hello", "120", "0"},
      {kOwn, "Hana,hello,120,-150", "Hana", "hello", "120", "-1"},
      {kOwn, "花子,こんにちは", "花子", "こんにちは", "", ""},  // fewer fields: the rest stays empty
      {kOther, "Hana,hello,120,250", "Hana", "hello", "^^", "^^"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Open(c.user);
    const bool own = c.user == kOwn;
    EXPECT_EQ(Text(resources::kProfileHandleEdit), "") << "empty until the answer";
    Deliver(c.message);
    EXPECT_EQ(Text(resources::kProfileHandleEdit), c.handle);
    EXPECT_STREQ(ProfileHandleName, c.handle);
    EXPECT_EQ(Text(resources::kProfileTextEdit), c.text);
    EXPECT_EQ(Text(resources::kProfilePointsEdit), c.points);
    EXPECT_EQ(Text(resources::kProfileHealthEdit), c.health);
    for (int id : {resources::kProfilePointsEdit, resources::kProfileHealthEdit, resources::kProfilePointsLabel,
                   resources::kProfileHealthLabel}) {
      EXPECT_EQ(Shown(id), own) << "control " << id;
    }
    EXPECT_EQ(Shown(resources::kRegisterFriendButton), !own);
    EXPECT_EQ(platform::IsEditReadOnly(platform::GetDlgItem(GetProfileWindow(), resources::kProfileTextEdit)),
              !own);
    ToggleProfileWindow(MainWindow, c.user);  // the second click closes it
    EXPECT_EQ(GetProfileWindow(), nullptr);
    EXPECT_EQ(server_.NextRequest(100), "");
  }
}

TEST_F(ProfileWindowTest, AClickWhileOpenOnlyClosesAndAnAnswerAfterwardsChangesNothing) {
  Open(kOther);
  Deliver("Momo,hi,1,1");
  ToggleProfileWindow(MainWindow, 43);
  EXPECT_EQ(GetProfileWindow(), nullptr);
  EXPECT_EQ(server_.NextRequest(100), "") << "closing asks for nothing";
  Deliver("Late,late,1,1");
  EXPECT_STREQ(ProfileHandleName, "Momo");
  EXPECT_EQ(ProfileUserNumber, kOther);

  ToggleProfileWindow(MainWindow, 0);
  EXPECT_EQ(GetProfileWindow(), nullptr);
  EXPECT_EQ(server_.NextRequest(100), "");
  Open(43);
  EXPECT_EQ(ProfileUserNumber, 43);
}

TEST_F(ProfileWindowTest, OkStoresTheOwnProfileUnlessItHasACommaOrIsTooLong) {
  testsupport::ModalScript script;
  Open(kOwn);
  Deliver("Hana,hello,120,250");
  platform::SetDlgItemText(GetProfileWindow(), resources::kProfileTextEdit, "a,b");
  platform::ClickButton(GetProfileWindow(), platform::IDOK);
  EXPECT_NE(GetProfileWindow(), nullptr) << "a comma keeps the window open";
  EXPECT_EQ(Text(resources::kProfileTextEdit), "a,b");

  // "u7," + text + ",120" must fit 127 bytes: 120 bytes of text do, 121 do
  // not.
  platform::SetDlgItemText(GetProfileWindow(), resources::kProfileTextEdit, std::string(119, 'x') + "あ");
  platform::ClickButton(GetProfileWindow(), platform::IDOK);
  EXPECT_NE(GetProfileWindow(), nullptr) << "an over-long text keeps the window open";
  EXPECT_EQ(server_.NextRequest(100), "");

  platform::SetDlgItemText(GetProfileWindow(), resources::kProfileTextEdit, std::string(120, 'x'));
  platform::ClickButton(GetProfileWindow(), platform::IDOK);
  EXPECT_EQ(server_.NextRequest(), "u7," + std::string(120, 'x') + ",120");
  EXPECT_EQ(GetProfileWindow(), nullptr);

  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, " ' , ' (コンマ)文字は使用出来ません。");
  EXPECT_EQ(boxes[1].text, "プロファイルが長すぎます。短くしてください。");
  EXPECT_TRUE(boxes[1].has_owner);
}

TEST_F(ProfileWindowTest, AnEmptyOwnProfileIsStoredAsNoProfileAndOkOnAnotherSendsNothing) {
  Open(kOwn);
  Deliver("Hana,hello,120,250");
  platform::SetDlgItemText(GetProfileWindow(), resources::kProfileTextEdit, "");
  platform::ClickButton(GetProfileWindow(), platform::IDOK);
  EXPECT_EQ(server_.NextRequest(), "u7,no profile,120");
  EXPECT_EQ(GetProfileWindow(), nullptr);

  Open(kOther);
  Deliver("Momo,hi,1,1");
  platform::ClickButton(GetProfileWindow(), platform::IDOK);
  EXPECT_EQ(GetProfileWindow(), nullptr);
  EXPECT_EQ(server_.NextRequest(100), "");
}

TEST_F(ProfileWindowTest, TheFriendButtonRegistersOnceAndThenSaysSo) {
  testsupport::ModalScript script;
  Open(kOther);
  platform::ClickButton(GetProfileWindow(), resources::kRegisterFriendButton);  // before the answer
  EXPECT_EQ(ReadBytes(folder_ / "mail" / "Friend.dat"), ",42\r\n");
  fs::remove(folder_ / "mail" / "Friend.dat");

  Deliver("花子,hi,1,1");
  platform::ClickButton(GetProfileWindow(), resources::kRegisterFriendButton);
  EXPECT_EQ(ReadBytes(folder_ / "mail" / "Friend.dat"), "花子,42\r\n");
  EXPECT_TRUE(script.MessageBoxes().empty());

  platform::ClickButton(GetProfileWindow(), resources::kRegisterFriendButton);
  EXPECT_EQ(ReadBytes(folder_ / "mail" / "Friend.dat"), "花子,42\r\n");
  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "既に登録されています。");
  EXPECT_EQ(boxes[0].caption, "確　認");
  EXPECT_EQ(boxes[0].style, platform::MB_ICONEXCLAMATION);
  EXPECT_TRUE(boxes[0].has_owner);
}

TEST_F(ProfileWindowTest, TheCommunityPageOpensInTheBrowserOrTellsWhyNot) {
  testsupport::ModalScript script;
  CommunitySite = "http://community.example";
  const std::string saved_path = std::getenv("PATH");
  const fs::path opener = folder_ / "xdg-open";
  std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << (folder_ / "opened").string() << "\"\n";
  chmod(opener.c_str(), 0755);

  Open(kOther);
  setenv("PATH", folder_.c_str(), 1);
  platform::ClickButton(GetProfileWindow(), resources::kCommunityPageButton);
  for (int waited = 0; waited < 3000 && !fs::exists(folder_ / "opened"); waited += 10) platform::SleepMs(10);
  platform::SleepMs(50);
  EXPECT_EQ(ReadBytes(folder_ / "opened"), "http://community.example/userinfo.php?uid=42");
  EXPECT_TRUE(script.MessageBoxes().empty());

  setenv("PATH", (folder_ / "none").c_str(), 1);
  platform::ClickButton(GetProfileWindow(), resources::kCommunityPageButton);
  setenv("PATH", saved_path.c_str(), 1);
  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "ブラウザの起動に失敗しました。");
  EXPECT_EQ(boxes[0].caption, "エラー");
  EXPECT_EQ(boxes[0].style, platform::MB_ICONHAND);
  EXPECT_TRUE(boxes[0].has_owner);
}

}  // namespace
