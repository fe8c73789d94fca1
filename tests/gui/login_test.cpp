// The login loop with the real dialog against a real game server.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/test_files.h"
#include "client/resources/templates.h"
#include "client/session/connection.h"
#include "client/session/login.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/settings.h"
#include "client/session/startup.h"
#include "client/world/world_state.h"
#include "tests/support/modal_script.h"
#include "tests/support/raw_login.h"
#include "tests/support/reference_server.h"
#include "tests/support/scripted_peer.h"

namespace {

using testsupport::ReadFile;

using platform::ModalInfo;
using testsupport::ModalScript;

// Types the login into the dialog and presses the log-in button; when
// then_quit is set, presses quit afterwards (the dialog stays open when a
// check fails).
ModalScript::Action TypeLogin(std::string login_id, std::string password, bool then_quit = false) {
  return [=](const ModalInfo& dialog) {
    EXPECT_EQ(dialog.dialog_id, resources::kLoginDialogId);
    platform::SetDlgItemText(dialog.window, resources::kLoginIdEdit, login_id);
    platform::SetDlgItemText(dialog.window, resources::kPasswordEdit, password);
    platform::ClickButton(dialog.window, 1);
    if (then_quit) platform::ClickButton(dialog.window, 2);
  };
}

// Checks that the dialog shows the last typed values, then quits.
ModalScript::Action ExpectTypedAndQuit(std::string login_id, std::string password) {
  return [=](const ModalInfo& dialog) {
    EXPECT_EQ(platform::GetDlgItemText(dialog.window, resources::kLoginIdEdit, 31), login_id);
    EXPECT_EQ(platform::GetDlgItemText(dialog.window, resources::kPasswordEdit, 31), password);
    platform::ClickButton(dialog.window, 2);
  };
}

class LoginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-login-XXXXXX";
    folder_ = mkdtemp(pattern);
    InstallDir = folder_ + "/";
    SetupSettingsPath();
    SessionIdentity = {};
    OwnAvatar = {};
    MapNumber = 0;
    ASSERT_EQ(CreateMainWindow(), 1);
  }

  void TearDown() override {
    CloseConnection();
    platform::DestroyWindow(MainWindow);
    MainWindow = nullptr;
    std::system(("rm -rf " + folder_).c_str());
  }

  void UseServer(const std::string& address) { ServiceHost = address; }

  std::string folder_;
};

TEST_F(LoginTest, AcceptedLoginFillsTheOwnCharacterAndRemembersTheLogin) {
  testsupport::ReferenceServer server(11);
  const int user = server.AddAccount("hana", "s3cret", "Hana", 3, 100, 200, 1);
  UseServer(server.Address());
  ModalScript script;
  script.Then(TypeLogin("hana", "s3cret"));

  ASSERT_EQ(LoginLoop(), LoginOutcome::Accepted);

  EXPECT_EQ(OwnAvatar.user_number, user);
  EXPECT_EQ(OwnAvatar.appearance, 3);
  EXPECT_STREQ(OwnAvatar.handle_name, "Hana");
  EXPECT_EQ(OwnAvatar.rect.left, 100);
  EXPECT_EQ(OwnAvatar.rect.top, 200);
  EXPECT_EQ(OwnAvatar.rect.right, 132);
  EXPECT_EQ(OwnAvatar.rect.bottom, 232);
  EXPECT_EQ(MapNumber, 1);
  EXPECT_EQ(SessionIdentity.login_id, "hana");
  EXPECT_EQ(SessionIdentity.password, "s3cret");
  EXPECT_EQ(ReadSetting("ID"), "hana");
  EXPECT_EQ(ReadStoredPassword(), "s3cret");
  EXPECT_NE(ReadFile(SettingsPath()).find("PASS="), std::string::npos);
  EXPECT_TRUE(script.MessageBoxes().empty());
}

TEST_F(LoginTest, RefusedLoginsShowTheirMessageAndBringTheDialogBack) {
  testsupport::ReferenceServer server(12);
  server.AddAccount("hana", "s3cret", "Hana", 3, 100, 200, 1);
  server.AddAccountWithoutCharacter("nochar", "pw");
  server.AddAccount("busy", "pw", "Busy", 1, 50, 60, 0);
  UseServer(server.Address());
  const int busy_connection = testsupport::RawLogin(server.Address(), "lbusy,pw");

  struct Case {
    const char* login_id;
    const char* password;
    const char* message;
    unsigned style;
  };
  const Case cases[] = {
      {"nobody", "pw", "IDが間違っています。", platform::MB_ICONHAND},
      {"hana", "wrong", "パスワードが間違っています。\n「パスワード忘れ画面」を表示しますか？",
       platform::MB_YESNO | platform::MB_ICONHAND},
      {"nochar", "pw",
       "キャラクタが作成されていません。\nPosyvaleにログインするためにはPosyvale内で使用するキャラクタの作成があらかじめ必要です。\n「キャラクタ作成画面」を表示しますか？",
       platform::MB_YESNO | platform::MB_ICONHAND},
      {"busy", "pw", "すでにログインしています。", platform::MB_ICONHAND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.login_id);
    ModalScript script;
    script.Then(TypeLogin(c.login_id, c.password));
    script.Answer((c.style & platform::MB_YESNO) ? platform::IDNO : platform::IDOK);
    script.Then(ExpectTypedAndQuit(c.login_id, c.password));

    EXPECT_EQ(LoginLoop(), LoginOutcome::Ended);

    const auto boxes = script.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_EQ(boxes[0].caption, "ログインエラー");
    EXPECT_EQ(boxes[0].style, c.style);
    EXPECT_TRUE(boxes[0].has_owner);
    EXPECT_EQ(script.Shown().size(), 3u);  // dialog, box, dialog again
    EXPECT_TRUE(ReadSetting("ID").empty()) << "a refused login writes nothing";
  }
  close(busy_connection);
}

TEST_F(LoginTest, AnswersOutsideTheTableAreExplainedAndRefused) {
  struct Case {
    const char* answer;
    const char* message;
  };
  const Case cases[] = {
      {"l-3", ""},
      {"l-9", "ログインできませんでした。(エラー番号 -9)"},
      {"l17,3,Hana,16", "サーバからのログイン応答が不完全です。もう一度ログインしてください。"},
  };
  int octet = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    testsupport::ScriptedPeer peer(octet++, c.answer);
    UseServer(peer.Address());
    ModalScript script;
    script.Then(TypeLogin("hana", "pw"));
    script.Answer(platform::IDOK);
    script.Then(ExpectTypedAndQuit("hana", "pw"));

    EXPECT_EQ(LoginLoop(), LoginOutcome::Ended);

    EXPECT_EQ(peer.Received(), "lhana,pw");
    const auto boxes = script.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_EQ(boxes[0].caption, "ログインエラー");
  }
}

TEST_F(LoginTest, ResultZeroIsAnAcceptedLoginAndEmptyFieldsShiftLeft) {
  // The handle name field is missing: runs of commas count as one separator.
  testsupport::ScriptedPeer peer(30, "l0,3,,Hana,16,100,200,1");
  UseServer(peer.Address());
  ModalScript script;
  script.Then(TypeLogin("hana", "pw"));

  ASSERT_EQ(LoginLoop(), LoginOutcome::Accepted);
  EXPECT_EQ(OwnAvatar.user_number, 0);
  EXPECT_EQ(OwnAvatar.appearance, 3);
  EXPECT_STREQ(OwnAvatar.handle_name, "Hana");
  EXPECT_EQ(MapNumber, 1);
}

TEST_F(LoginTest, DialogChecksKeepTheDialogOpenWithoutConnecting) {
  struct Case {
    const char* login_id;
    const char* password;
    const char* message;
  };
  const Case cases[] = {
      {"", "pw", "IDが入力されていません。"},
      {"hana", "", "パスワードが入力されていません。"},
      {"ha,na", "pw", " ' , ' (コンマ)文字は使用出来ません。"},
      {"hana", "p,w", " ' , ' (コンマ)文字は使用出来ません。"},
  };
  UseServer("127.0.0.31");  // nothing listens there: a connection attempt would fail loudly
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ModalScript script;
    script.Then(TypeLogin(c.login_id, c.password, true));
    script.Answer(platform::IDOK);

    EXPECT_EQ(LoginLoop(), LoginOutcome::Ended);

    const auto boxes = script.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_EQ(boxes[0].caption, "確 認");
    EXPECT_EQ(boxes[0].style, platform::MB_ICONQUESTION);
  }
}

TEST_F(LoginTest, SilentServerEndsTheLoginAfterTwentyPolls) {
  testsupport::ScriptedPeer peer(32, "", /*silent=*/true);
  UseServer(peer.Address());
  ModalScript script;
  script.Then(TypeLogin("hana", "pw"));

  EXPECT_EQ(LoginLoop(), LoginOutcome::Ended);

  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "サーバが応答しません。");
  EXPECT_EQ(boxes[0].caption, "エラー");
  EXPECT_EQ(boxes[0].style, platform::MB_ICONHAND);
}

}  // namespace
