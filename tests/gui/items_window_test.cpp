// The items window with its real widgets: the inventory list, the icons and
// what OK does on each tab.
#include "client/community/items_window.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "client/resources/items_dialog.h"
#include "client/session/program.h"
#include "client/world/world_state.h"
#include "tests/support/loopback_server.h"

namespace {

namespace fs = std::filesystem;

void Inventory(std::string text) { HandleItemsMessage(text.data()); }

// An installation whose icon folder holds a good 0.ico, a broken 1.ico, a
// 3.ico after the gap and a good i0.ico.
class ItemsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-items-XXXXXX";
    folder_ = mkdtemp(pattern);
    InstallDir = folder_.string() + "/";
    const fs::path icons = folder_ / "icon";
    const fs::path staged = fs::path(POSYVALE_STAGE_DIR) / "icon";
    fs::create_directory(icons);
    fs::copy_file(staged / "0.ico", icons / "0.ico");
    std::ofstream(icons / "1.ico") << "not an icon";
    fs::copy_file(staged / "3.ico", icons / "3.ico");
    fs::copy_file(staged / "i0.ico", icons / "i0.ico");
    OwnAvatar = {};
    OwnAvatar.appearance = 4;
    PendingPresentId[0] = '\0';
  }

  void TearDown() override {
    if (GetItemsWindow()) platform::ClickButton(GetItemsWindow(), platform::IDCANCEL);
    fs::remove_all(folder_);
  }

  // Opens the window; the list it asks the server for.
  platform::WindowHandle Open() {
    OpenItemsWindow(nullptr);
    const platform::WindowHandle window = GetItemsWindow();
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(server_.NextRequest(), "i");
    platform::ShowWindow(window, platform::Show::Normal);
    return window;
  }

  platform::WindowHandle List() const { return platform::GetDlgItem(GetItemsWindow(), resources::kItemsList); }

  std::string Entry(int item) const {
    return platform::GetListItemText(List(), item, 2, 31) + "|" + platform::GetListItemText(List(), item, 1, 31) +
           "|" + std::to_string(platform::GetListItemImage(List(), item));
  }

  testsupport::LoopbackServer server_;
  fs::path folder_;
};

TEST_F(ItemsWindowTest, InventoryIsListedInReverseAndLaterMessagesGoOnTop) {
  Open();
  EXPECT_EQ(NumberedIconCount, 2) << "0.ico and the broken 1.ico; 3.ico lies after the gap";
  Inventory("3,A1,i2,B7");
  ASSERT_EQ(platform::GetListItemCount(List()), 2);
  EXPECT_EQ(Entry(0), "i2|B7|4");
  EXPECT_EQ(Entry(1), "3|A1|3");
  Inventory("5,C1");
  Inventory("0");
  Inventory("07,D1");
  ASSERT_EQ(platform::GetListItemCount(List()), 3);
  EXPECT_EQ(Entry(0), "5|C1|5");
  EXPECT_EQ(Entry(2), "3|A1|3");
}

TEST_F(ItemsWindowTest, OkActsOnTheChosenItemByTab) {
  struct Case {
    const char* name;
    int tab;
    const char* code;
    const char* id;
    const char* request;  // "" for none
    int appearance;       // the own appearance afterwards
    const char* present;
  } const cases[] = {
      {"use an ordinary item", 0, "i2", "B7", "ei2,B7", 4, ""},
      {"use an appearance item of the same parity", 0, "6", "A6", "e6,A6", 6, ""},
      {"use an appearance item of the other parity", 0, "7", "A7", "", 4, ""},
      {"sell", 1, "7", "A7", "es7,A7", 4, ""},
      {"present", 2, "9", "A9", "", 4, "A9"},
  };
  for (const Case& c : cases) {
    OwnAvatar.appearance = 4;
    const platform::WindowHandle window = Open();
    Inventory(std::string("1,X1,") + c.code + "," + c.id);
    platform::ClickListItem(List(), 0);
    EXPECT_STREQ(ChosenItemCode, c.code) << c.name;
    platform::SelectTab(platform::GetDlgItem(window, resources::kItemsTabs), c.tab);
    platform::ClickButton(window, platform::IDOK);
    EXPECT_EQ(server_.NextRequest(c.request[0] ? 2000 : 200), c.request) << c.name;
    EXPECT_EQ(OwnAvatar.appearance, c.appearance) << c.name;
    EXPECT_STREQ(PendingPresentId, c.present) << c.name;
    EXPECT_EQ(GetItemsWindow(), nullptr) << c.name;
  }
}

TEST_F(ItemsWindowTest, OkWithNothingChosenKeepsTheWindowAndCancelClosesIt) {
  const platform::WindowHandle window = Open();
  Inventory("i1,Z1");
  platform::ClickButton(window, platform::IDOK);
  EXPECT_EQ(GetItemsWindow(), window);
  EXPECT_EQ(server_.NextRequest(200), "");
  platform::ClickButton(window, platform::IDCANCEL);
  EXPECT_EQ(GetItemsWindow(), nullptr);
  EXPECT_EQ(server_.NextRequest(200), "");
}

}  // namespace
