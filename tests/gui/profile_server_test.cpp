// A click on another user's character opens the profile the real server
// keeps for that user.
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "client/resources/profile_dialog.h"
#include "client/resources/templates.h"
#include "client/session/connection.h"
#include "client/session/login.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/settings.h"
#include "client/session/startup.h"
#include "client/sidewindows/profile_window.h"
#include "client/world/scene_clicks.h"
#include "client/world/world_state.h"
#include "tests/support/modal_script.h"
#include "tests/support/raw_login.h"
#include "tests/support/reference_server.h"

namespace {

// Runs main-loop ticks until done() or about five seconds have passed.
template <typename Done>
bool TickUntil(Done done) {
  for (int tick = 0; tick < 400; ++tick) {
    if (done()) return true;
    MainLoopTick();
  }
  return done();
}

TEST(ProfileServerTest, ClickOnAnotherUsersCharacterShowsTheServersProfile) {
  testsupport::ReferenceServer server(43);
  server.AddAccount("hana", "pw1", "Hana", 3, 100, 200, 0);
  const int taro = server.AddAccount("taro", "pw2", "Taro", 4, 300, 300, 0);
  server.SetProfile(taro, "hello from Taro");
  const int taro_connection = testsupport::RawLogin(server.Address(), "ltaro,pw2");

  char pattern[] = "/tmp/posyvale-profile-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  InstallDir = folder + "/";
  SetupSettingsPath();
  ServiceHost = server.Address();
  std::memset(&AvatarTable, 0, sizeof AvatarTable);
  ASSERT_EQ(CreateMainWindow(), 1);
  {
    testsupport::ModalScript script;
    script.Then([](const platform::ModalInfo& dialog) {
      platform::SetDlgItemText(dialog.window, resources::kLoginIdEdit, "hana");
      platform::SetDlgItemText(dialog.window, resources::kPasswordEdit, "pw1");
      platform::ClickButton(dialog.window, 1);
    });
    ASSERT_EQ(LoginLoop(), LoginOutcome::Accepted);
  }

  ASSERT_TRUE(TickUntil([&] { return FindAvatarSlot(taro) >= 0; })) << "Taro's arrival did not come";
  HandleSceneClick(310, 305);
  ASSERT_TRUE(TickUntil([] {
    return GetProfileWindow() &&
           platform::GetDlgItemText(GetProfileWindow(), resources::kProfileHandleEdit, 63) == "Taro";
  })) << "no profile from the server";
  EXPECT_EQ(platform::GetDlgItemText(GetProfileWindow(), resources::kProfileTextEdit, 127), "hello from Taro");
  EXPECT_EQ(ProfileUserNumber, taro);

  ToggleProfileWindow(MainWindow, taro);  // a second click closes it
  EXPECT_EQ(GetProfileWindow(), nullptr);
  CloseConnection();
  platform::DestroyWindow(MainWindow);
  MainWindow = nullptr;
  close(taro_connection);
  std::system(("rm -rf " + folder).c_str());
}

}  // namespace
