// The items and postcard windows against the real server, one user after
// the other in this process: a card sent by one user is received and read by
// the other, and a present put down by one is picked up by the other and
// then found in the picker's inventory.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "client/community/items_window.h"
#include "client/community/mailbox.h"
#include "client/community/postcard_send.h"
#include "client/platform/clock.h"
#include "client/resources/items_dialog.h"
#include "client/resources/mailbox_dialog.h"
#include "client/resources/postcard_dialog.h"
#include "client/session/connection.h"
#include "client/session/login.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/startup.h"
#include "client/world/scene_clicks.h"
#include "client/world/world_state.h"
#include "tests/support/modal_script.h"
#include "tests/support/reference_server.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Handles the server's messages as the main loop does until done() holds;
// false after 5 seconds.
bool ServeUntil(const std::function<bool()>& done) {
  const std::uint32_t until = platform::TickCount() + 5000;
  char buffer[kReceiveBufferSize];
  while (!done()) {
    if (platform::TickCount() > until) return false;
    if (ReceiveMessage(buffer) > 0) {
      DispatchServerMessage(buffer);
    } else {
      platform::SleepMs(5);
    }
  }
  return true;
}

class ServerRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-roundtrip-XXXXXX";
    folder_ = mkdtemp(pattern);
    InstallDir = folder_.string() + "/";
    fs::create_directory(folder_ / "mail");
    hana_ = server_.AddAccount("hana", "pw1", "Hana", 3, 100, 200, 0);
    taro_ = server_.AddAccount("taro", "pw2", "Taro", 4, 300, 300, 0);
    ServiceHost = server_.Address();
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    PendingPresentId[0] = '\0';
  }

  void TearDown() override {
    CloseConnection();
    if (MainWindow) platform::DestroyWindow(MainWindow);
    MainWindow = nullptr;
    fs::remove_all(folder_);
  }

  void LogIn(const std::string& login, const std::string& password) {
    CloseConnection();
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    SessionIdentity = {login, password};
    testsupport::ModalScript script;
    script.Answer(platform::IDOK);
    ASSERT_EQ(LoginLoop(), LoginOutcome::Accepted) << login;
  }

  testsupport::ReferenceServer server_{44};
  int hana_ = 0, taro_ = 0;
  fs::path folder_;
};

TEST_F(ServerRoundTripTest, ACardSentByOneUserIsReceivedAndReadByTheOther) {
  LogIn("hana", "pw1");
  std::ofstream(folder_ / "mail" / "Friend.dat", std::ios::binary) << "Taro," << taro_ << "\r\n";
  OpenPostcardSender(nullptr);
  const platform::WindowHandle sender = GetPostcardSender();
  platform::SelectDropDownEntry(platform::GetDlgItem(sender, resources::kRecipientList), 0);
  platform::SetDlgItemText(sender, resources::kSubjectEdit, "hello");
  const std::string message = std::string(300, 'a') + "\r\nはがきです";
  platform::SetDlgItemText(sender, resources::kMessageEdit, message);
  platform::ClickButton(sender, resources::kSendButton);
  ASSERT_TRUE(ServeUntil(
      [sender] { return !platform::GetDlgItemText(sender, resources::kSendResultLine, 200).empty(); }));
  EXPECT_EQ(platform::GetDlgItemText(sender, resources::kSendResultLine, 200), "送信が完了しました。");
  platform::ClickButton(sender, platform::IDCANCEL);

  LogIn("taro", "pw2");
  OpenMailbox(nullptr);
  const platform::WindowHandle mailbox = GetMailbox();
  platform::ClickButton(mailbox, resources::kReceiveButton);
  const platform::WindowHandle receive = platform::GetDlgItem(mailbox, resources::kReceiveButton);
  ASSERT_TRUE(ServeUntil([receive] { return platform::IsWindowEnabled(receive); }));
  EXPECT_EQ(platform::GetWindowText(receive, 31), "受信(1)");
  const std::string card = ReadBytes(folder_ / "mail" / "1.hgk");
  const std::string header = "Hana\t" + std::to_string(hana_) + "\r\nhello\r\n";
  EXPECT_EQ(card.substr(0, header.size()), header);
  EXPECT_TRUE(card.ends_with("]\r\n" + message)) << card;

  ASSERT_EQ(platform::GetListItemCount(GetCardList()), 1);
  platform::ClickListItem(GetCardList(), 0);
  EXPECT_TRUE(fs::exists(folder_ / "mail" / "01.hgk"));
  EXPECT_EQ(platform::GetDlgItemText(mailbox, resources::kCardViewer, 999),
            " " + std::string(300, 'a') + "\r\nはがきです\r\n");
  platform::ClickButton(mailbox, resources::kMailboxCloseButton);
}

TEST_F(ServerRoundTripTest, APresentPutDownByOneUserEndsInThePickersInventory) {
  ASSERT_EQ(CreateMainWindow(), 1);
  LogIn("taro", "pw2");
  OpenItemsWindow(MainWindow);
  platform::WindowHandle items = GetItemsWindow();
  platform::WindowHandle list = platform::GetDlgItem(items, resources::kItemsList);
  ASSERT_TRUE(ServeUntil([list] { return platform::GetListItemCount(list) > 0; })) << "no starter items";
  platform::ClickListItem(list, 0);
  const std::string id = ChosenItemId;
  ASSERT_FALSE(id.empty());
  platform::SelectTab(platform::GetDlgItem(items, resources::kItemsTabs), 2);
  platform::ClickButton(items, platform::IDOK);
  EXPECT_EQ(PendingPresentId, id);
  HandleSceneClick(200, 300);
  EXPECT_EQ(PendingPresentId[0], '\0');

  LogIn("hana", "pw1");
  const int present = -std::stoi(id);
  ASSERT_TRUE(ServeUntil([present] { return FindAvatarSlot(present) >= 0; })) << "the present is not shown";
  const int slot = FindAvatarSlot(present);
  HandleSceneClick(210, 305);
  EXPECT_EQ(AvatarTable.rect[slot].top, 0) << "the picked-up present stays on the ground";

  OpenItemsWindow(MainWindow);
  items = GetItemsWindow();
  list = platform::GetDlgItem(items, resources::kItemsList);
  auto holds_present = [list, &id] {
    for (int i = 0; i < platform::GetListItemCount(list); ++i) {
      if (platform::GetListItemText(list, i, 1, 31) == id) return true;
    }
    return false;
  };
  EXPECT_TRUE(ServeUntil(holds_present)) << "the picked-up item is not in the inventory";
  platform::ClickButton(items, platform::IDCANCEL);
}

}  // namespace
