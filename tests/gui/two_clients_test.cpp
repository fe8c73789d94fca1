// Two real clients on one real server: one user walks and talks, the other
// sees it on screen.
#include <unistd.h>

#include <gtest/gtest.h>

#include "client/world/bmp_reader.h"
#include "tests/support/desktop.h"
#include "tests/support/reference_server.h"

namespace {

using testsupport::ClientInstall;

constexpr char kMainTitle[] = "Posyvale Client Program  Ver 1.6";

// Logs a client in with its remembered login; its main window.
std::string LogIn(ClientInstall& install, const std::string& host) {
  const pid_t pid = install.Start(host);
  const std::string dialog = testsupport::FindWindow("☆彡 ログイン", 20000);
  EXPECT_FALSE(dialog.empty()) << "the login dialog did not appear";
  testsupport::SendKeys(dialog, "Return");
  EXPECT_TRUE(testsupport::WaitGone("☆彡 ログイン", 10000)) << "the login was not accepted";
  return testsupport::FindWindowOf(pid, kMainTitle, 5000);
}

// How many pixels of a 31 x 31 character picture drawn at (left, top) as 30
// x 30 show on screen, out of how many it has that are not transparent.
std::pair<int, int> CharacterPixelsShown(const std::vector<std::uint32_t>& screen, const BmpImage& picture,
                                         int left, int top) {
  const std::uint32_t key = picture.pixels[0] | 0x800000;
  int shown = 0, total = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      const std::uint32_t source = picture.pixels[static_cast<std::size_t>(y * 31 / 30) * picture.width + x * 31 / 30];
      if (source == key) continue;
      ++total;
      shown += screen[static_cast<std::size_t>(top + y) * 640 + left + x] == source;
    }
  }
  return {shown, total};
}

int CountColour(const std::vector<std::uint32_t>& screen, std::uint32_t colour, int left, int top, int right,
                int bottom) {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) count += screen[static_cast<std::size_t>(y) * 640 + x] == colour;
  }
  return count;
}

TEST(TwoClientsTest, OneUserWalksAndTalksAndTheOtherSeesIt) {
  testsupport::ReferenceServer server(41);
  server.AddAccount("hana", "pw1", "Hana", 3, 100, 200, 0);
  server.AddAccount("taro", "pw2", "Taro", 4, 300, 300, 0);
  ClientInstall hana, taro;
  hana.RememberLogin("hana", "pw1");
  taro.RememberLogin("taro", "pw2");

  const std::string hana_window = LogIn(hana, server.Address());
  const std::string taro_window = LogIn(taro, server.Address());
  ASSERT_FALSE(hana_window.empty());
  ASSERT_FALSE(taro_window.empty());
  hana.CloseViewers();
  taro.CloseViewers();
  const auto picture = ReadBmpFile(hana.Folder() + "/3.bmp");
  ASSERT_TRUE(picture);

  // Three steps up: Taro's screen shows Hana at (100, 185).
  testsupport::SendKeys(hana_window, "Up Up Up");
  std::pair<int, int> seen;
  for (int tries = 0; tries < 50; ++tries) {
    seen = CharacterPixelsShown(testsupport::CaptureWindow(taro_window, 640, 480), *picture, 100, 185);
    if (seen.first == seen.second) break;
    usleep(100 * 1000);
  }
  EXPECT_GT(seen.second, 100);
  EXPECT_EQ(seen.first, seen.second) << "Taro does not see Hana where she walked";

  // Tab switches Hana to the chat input; her line appears in a balloon over
  // her character on Taro's screen: "Hana> hello", 11 bytes, one line at
  // (100 - 33, 185 - 20).
  testsupport::SendKeys(hana_window, "Tab");
  testsupport::TypeText(hana_window, "hello");
  testsupport::SendKeys(hana_window, "Return");
  int balloon = 0;
  for (int tries = 0; tries < 50 && balloon < 100; ++tries) {
    balloon = CountColour(testsupport::CaptureWindow(taro_window, 640, 480), 0xFFFFAA, 67, 165, 140, 185);
    usleep(100 * 1000);
  }
  EXPECT_GE(balloon, 100) << "no speech balloon over Hana on Taro's screen";
}

}  // namespace
