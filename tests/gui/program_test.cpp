// The real client program in its own install folder under the X display.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "client/world/bmp_reader.h"
#include "tests/support/desktop.h"
#include "tests/support/reference_server.h"

namespace {

using testsupport::ClientInstall;
using testsupport::FindWindow;
using testsupport::SendKeys;
using testsupport::WaitExit;
using testsupport::WaitGone;

// The scene on screen is map 0 with the own character (appearance 3 at
// 100, 200) drawn over it, pixel for pixel.
void ExpectSceneShowsMapAndOwnCharacter(const ClientInstall& install, const std::string& window) {
  const auto map = ReadBmpFile(install.Folder() + "/map0.bmp");
  const auto character = ReadBmpFile(install.Folder() + "/3.bmp");
  ASSERT_TRUE(map && character);
  const std::vector<std::uint32_t> screen = testsupport::CaptureWindow(window, 640, 480);
  ASSERT_EQ(screen.size(), 640u * 480u) << "no capture of the main window";
  const std::uint32_t key = character->pixels[0] | 0x800000;
  int map_pixels = 0, map_matches = 0, character_pixels = 0, character_matches = 0;
  // The buttons under the scene stand at y 479 and cover its last row.
  for (int y = 0; y < 479; ++y) {
    for (int x = 0; x < 640; ++x) {
      const std::uint32_t shown = screen[static_cast<std::size_t>(y) * 640 + x];
      if (x >= 100 && x < 132 && y >= 200 && y < 232) {
        // 31 source pixels stretched over 32.
        const std::uint32_t source =
            character->pixels[static_cast<std::size_t>((y - 200) * 31 / 32) * character->width + (x - 100) * 31 / 32];
        if (source == key) continue;
        ++character_pixels;
        character_matches += shown == source;
      } else {
        ++map_pixels;
        map_matches += shown == map->pixels[static_cast<std::size_t>(y) * 640 + x];
      }
    }
  }
  EXPECT_GT(character_pixels, 100);
  EXPECT_EQ(character_matches, character_pixels) << "the own character is not on screen";
  EXPECT_EQ(map_matches, map_pixels) << "the map is not on screen";
}

TEST(ProgramTest, LogsInShowsTheSceneRefusesASecondInstanceAndEndsWhenTheServerStops) {
  testsupport::ReferenceServer server(40);
  server.AddAccount("hana", "s3cret", "Hana", 3, 100, 200, 0);
  ClientInstall install;
  install.RememberLogin("hana", "s3cret");

  const pid_t client = install.Start(server.Address());
  const std::string dialog = FindWindow("☆彡 ログイン", 20000);
  ASSERT_FALSE(dialog.empty()) << "the login dialog did not appear";
  SendKeys(dialog, "Return");  // Enter presses the log-in button with the remembered login
  ASSERT_TRUE(WaitGone("☆彡 ログイン", 10000)) << "the login was not accepted";
  const std::string main_window = FindWindow("Posyvale Client Program  Ver 1.6", 1000);
  ASSERT_FALSE(main_window.empty());
  // After the login the news page opens in the page viewer.
  EXPECT_FALSE(FindWindow("★★★　お知らせ　★★★", 10000).empty());
  install.CloseViewers();  // it must not cover the scene
  usleep(500 * 1000);
  ExpectSceneShowsMapAndOwnCharacter(install, main_window);

  const pid_t second = install.Start(server.Address());
  const int second_status = WaitExit(second, 10000);
  ASSERT_NE(second_status, -1) << "the second instance did not end";
  EXPECT_TRUE(WIFEXITED(second_status));
  EXPECT_EQ(WEXITSTATUS(second_status), 0);

  server.Stop();
  const std::string notice = FindWindow("エラー", 10000);
  ASSERT_FALSE(notice.empty()) << "no disconnection message";
  SendKeys(notice, "Return");
  const int status = WaitExit(client, 10000);
  ASSERT_NE(status, -1) << "the client did not end after the disconnection";
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 255);
}

}  // namespace
