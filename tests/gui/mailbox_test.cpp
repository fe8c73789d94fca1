// The mailbox and the postcard send windows with their real widgets: a
// delivery, showing, deleting and answering cards, sending and the result.
#include "client/community/mailbox.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "client/community/postcard_send.h"
#include "client/resources/mailbox_dialog.h"
#include "client/resources/postcard_dialog.h"
#include "client/session/program.h"
#include "tests/support/loopback_server.h"
#include "tests/support/modal_script.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Postcard(std::string text) { HandlePostcardMessage(text.data()); }

std::string ButtonText(platform::WindowHandle window, int id) { return platform::GetDlgItemText(window, id, 63); }

class MailboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-mailbox-XXXXXX";
    folder_ = mkdtemp(pattern);
    InstallDir = folder_.string() + "/";
    fs::create_directory(Mail());
  }

  void TearDown() override {
    if (GetMailbox()) platform::ClickButton(GetMailbox(), resources::kMailboxCloseButton);
    fs::remove_all(folder_);
  }

  fs::path Mail() const { return folder_ / "mail"; }
  void Write(const char* name, const std::string& bytes) { std::ofstream(Mail() / name, std::ios::binary) << bytes; }

  platform::WindowHandle Open() {
    OpenMailbox(nullptr);
    platform::ShowWindow(GetMailbox(), platform::Show::Normal);
    return GetMailbox();
  }

  testsupport::LoopbackServer server_;
  fs::path folder_;
};

TEST_F(MailboxTest, ADeliveryIsStoredAndCountedOnTheReceiveButton) {
  const platform::WindowHandle mailbox = Open();
  ASSERT_NE(mailbox, nullptr);
  const platform::WindowHandle receive = platform::GetDlgItem(mailbox, resources::kReceiveButton);
  EXPECT_EQ(platform::GetListItemCount(GetCardList()), 0);
  EXPECT_FALSE(platform::IsWindowEnabled(platform::GetDlgItem(mailbox, resources::kReplyButton)));
  platform::ClickButton(mailbox, resources::kReceiveButton);
  EXPECT_EQ(server_.NextRequest(), "h0");
  EXPECT_FALSE(platform::IsWindowEnabled(receive));
  for (int card = 0; card < 3; ++card) {
    Postcard("1,2003/05/0" + std::to_string(card + 1) + ",12:30,345,hana,card" + std::to_string(card));
    Postcard("2text ");
    Postcard("3end");
    EXPECT_EQ(ButtonText(mailbox, resources::kReceiveButton), "受信(" + std::to_string(card) + ")");
  }
  Postcard("4");
  EXPECT_EQ(ButtonText(mailbox, resources::kReceiveButton), "受信(3)");
  EXPECT_TRUE(platform::IsWindowEnabled(receive));
  ASSERT_EQ(platform::GetListItemCount(GetCardList()), 3);
  EXPECT_EQ(ReadBytes(Mail() / "3.hgk"), "hana\t345\r\ncard2\r\n2003/05/03 [12:30]\r\ntext end");
  // The files listed in name order, each put on top.
  EXPECT_EQ(platform::GetListItemText(GetCardList(), 0, 1, 39), "card2");
  EXPECT_EQ(platform::GetListItemText(GetCardList(), 0, 0, 39), "hana");
  EXPECT_EQ(platform::GetListItemText(GetCardList(), 0, 2, 39), "2003/05/03 [12:30]");
  EXPECT_EQ(platform::GetListItemText(GetCardList(), 0, 3, 39), "345");
  EXPECT_EQ(platform::GetListItemText(GetCardList(), 0, 4, 126), (Mail() / "3.hgk").string());
}

TEST_F(MailboxTest, AShownCardIsMarkedReadAndDeletedUnderItsReadName) {
  Write("7.hgk", "hana\t345\r\nhello\r\n2003/05/01 [12:30]\r\nline one\r\nline two");
  Write("02.hgk", "momo\t5\r\nold\r\n2003/04/01 [09:00]\r\nseen");
  const platform::WindowHandle mailbox = Open();
  const platform::WindowHandle list = GetCardList();
  ASSERT_EQ(platform::GetListItemCount(list), 2);
  EXPECT_EQ(platform::GetListItemText(list, 0, 0, 19), "hana");
  EXPECT_EQ(platform::GetListItemImage(list, 0), 0) << "unread";
  EXPECT_EQ(platform::GetListItemImage(list, 1), 1) << "read";

  platform::ClickListItem(list, 0);
  EXPECT_TRUE(fs::exists(Mail() / "07.hgk"));
  EXPECT_FALSE(fs::exists(Mail() / "7.hgk"));
  EXPECT_EQ(platform::GetListItemImage(list, 0), 1);
  EXPECT_EQ(platform::GetDlgItemText(mailbox, resources::kCardViewer, 999), " line one\r\nline two\r\n");
  EXPECT_STREQ(CurrentCardSenderLine, "hana\t345");
  EXPECT_TRUE(platform::IsWindowEnabled(platform::GetDlgItem(mailbox, resources::kReplyButton)));

  platform::ClickListItem(list, 1);  // already read: keeps its name
  EXPECT_TRUE(fs::exists(Mail() / "02.hgk"));
  EXPECT_EQ(platform::GetDlgItemText(mailbox, resources::kCardViewer, 999), " seen\r\n");

  testsupport::ModalScript script;
  script.Answer(platform::IDNO);
  platform::PressListKey(list, platform::VK_DELETE);
  EXPECT_TRUE(fs::exists(Mail() / "02.hgk"));
  platform::SelectListItem(list, 0);  // 07.hgk, above 02.hgk in the list filled again
  EXPECT_EQ(platform::GetListItemText(list, 0, 4, 126), (Mail() / "07.hgk").string());
  script.Answer(platform::IDYES);
  platform::ClickButton(mailbox, resources::kDeleteCardButton);
  EXPECT_FALSE(fs::exists(Mail() / "07.hgk"));
  ASSERT_EQ(platform::GetListItemCount(list), 1);
  const auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "削除しますか？");
  EXPECT_EQ(boxes[1].caption, "確 認");
  EXPECT_EQ(boxes[1].style, platform::MB_YESNO | platform::MB_ICONQUESTION);
}

// Message lines are read in pieces of 999 bytes; a line end right after
// 998 bytes still belongs to its line.
TEST_F(MailboxTest, LongMessageLinesAreShownInPiecesOf999Bytes) {
  struct Case {
    std::size_t length;
    std::string shown;
  };
  const Case cases[] = {
      {998, " " + std::string(998, 'a') + "\r\nend\r\n"},
      {1200, " " + std::string(999, 'a') + "\r\n" + std::string(201, 'a') + "\r\nend\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    fs::remove_all(Mail());
    fs::create_directory(Mail());
    Write("01.hgk", "hana\t345\r\nlong\r\n2003/05/01 [12:30]\r\n" + std::string(c.length, 'a') + "\r\nend");
    const platform::WindowHandle mailbox = Open();
    platform::ClickListItem(GetCardList(), 0);
    EXPECT_EQ(platform::GetDlgItemText(mailbox, resources::kCardViewer, 4000), c.shown);
    platform::ClickButton(mailbox, resources::kMailboxCloseButton);
  }
}

TEST_F(MailboxTest, AReplyRegistersTheSenderAndHidesTheMailboxForLater) {
  Write("Friend.dat", "momo,5\r\n");
  Write("1.hgk", "hana\t345\r\nhello\r\n2003/05/01 [12:30]\r\nhi");
  const platform::WindowHandle mailbox = Open();
  platform::ClickListItem(GetCardList(), 0);
  for (int reply = 0; reply < 2; ++reply) {
    platform::ClickButton(mailbox, resources::kReplyButton);
    EXPECT_EQ(ReadBytes(Mail() / "Friend.dat"), "momo,5\r\nhana,345\r\n");
    const platform::WindowHandle sender = GetPostcardSender();
    ASSERT_NE(sender, nullptr);
    EXPECT_EQ(platform::GetDlgItemText(sender, resources::kRecipientList, 31), "hana");
    EXPECT_FALSE(platform::IsWindowEnabled(platform::GetDlgItem(sender, resources::kRecipientList)));
    EXPECT_FALSE(platform::IsWindowVisible(platform::GetDlgItem(sender, resources::kDeleteFriendButton)));
    EXPECT_EQ(platform::GetDlgItemText(sender, resources::kSubjectEdit, 63), "Re: hello");
    EXPECT_FALSE(platform::IsWindowVisible(mailbox));
    OpenMailbox(nullptr);
    EXPECT_EQ(GetMailbox(), mailbox) << "the hidden mailbox is kept";
    platform::ShowWindow(mailbox, platform::Show::Normal);
    EXPECT_EQ(platform::GetDlgItemText(mailbox, resources::kCardViewer, 999), " hi\r\n");
    platform::ClickButton(sender, platform::IDCANCEL);
  }
}

class PostcardSenderTest : public MailboxTest {};

TEST_F(PostcardSenderTest, ACardIsCheckedSentInPiecesAndTheWindowLocked) {
  Write("Friend.dat", "hana,345\r\nMomo,6\r\nanna,7\r\n");
  OpenPostcardSender(nullptr);
  const platform::WindowHandle sender = GetPostcardSender();
  ASSERT_NE(sender, nullptr);
  platform::ShowWindow(sender, platform::Show::Normal);
  const platform::WindowHandle recipients = platform::GetDlgItem(sender, resources::kRecipientList);
  ASSERT_EQ(platform::GetDropDownCount(recipients), 3);
  EXPECT_EQ(platform::GetDropDownEntry(recipients, 0), "anna");
  EXPECT_EQ(platform::GetDropDownEntry(recipients, 2), "Momo");

  testsupport::ModalScript script;
  platform::ClickButton(sender, resources::kSendButton);
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
  EXPECT_EQ(script.MessageBoxes()[0].text, "送信先を選択してください。");
  EXPECT_EQ(script.MessageBoxes()[0].caption, "警告");
  EXPECT_EQ(script.MessageBoxes()[0].style, platform::MB_ICONHAND);
  EXPECT_EQ(server_.NextRequest(200), "");

  platform::SelectDropDownEntry(recipients, 1);
  platform::SetDlgItemText(sender, resources::kSubjectEdit, "hi");
  const std::string message = std::string(238, 'a') + "\r\nあいう";
  platform::SetDlgItemText(sender, resources::kMessageEdit, message);
  platform::ClickButton(sender, resources::kSendButton);
  EXPECT_EQ(server_.NextRequest(), "h1345,hana,hi");
  EXPECT_EQ(server_.NextRequest(), "h2" + message.substr(0, 240));
  EXPECT_EQ(server_.NextRequest(), "h3" + message.substr(240));
  EXPECT_FALSE(platform::IsWindowEnabled(platform::GetDlgItem(sender, resources::kSendButton)));
  EXPECT_FALSE(platform::IsWindowEnabled(recipients));
  EXPECT_FALSE(platform::IsWindowEnabled(platform::GetDlgItem(sender, resources::kMessageEdit)));
  EXPECT_EQ(ButtonText(sender, platform::IDCANCEL), "終 了");
  platform::ClickButton(sender, platform::IDCANCEL);
}

TEST_F(PostcardSenderTest, ResultsGoToTheNewestWindowWithTheMailboxClosed) {
  Write("Friend.dat", "hana,345\r\nmomo,6\r\n");
  OpenPostcardSender(nullptr);
  const platform::WindowHandle first = GetPostcardSender();
  OpenPostcardSender(nullptr);
  const platform::WindowHandle second = GetPostcardSender();
  ASSERT_EQ(GetMailbox(), nullptr);
  Postcard("et2");
  EXPECT_EQ(platform::GetDlgItemText(second, resources::kSendResultLine, 200),
            "メールの送信に失敗しました。「送信先ＩＤ該当なし」");
  EXPECT_EQ(platform::GetDlgItemText(first, resources::kSendResultLine, 200), "");
  Postcard("et0");
  EXPECT_EQ(platform::GetDlgItemText(second, resources::kSendResultLine, 200), "送信が完了しました。");

  // Deleting a friend rewrites the file and lists the rest, none chosen.
  const platform::WindowHandle recipients = platform::GetDlgItem(first, resources::kRecipientList);
  platform::SelectDropDownEntry(recipients, 0);
  platform::ClickButton(first, resources::kDeleteFriendButton);
  EXPECT_EQ(ReadBytes(Mail() / "Friend.dat"), "momo,6\r\n");
  ASSERT_EQ(platform::GetDropDownCount(recipients), 1);
  EXPECT_EQ(platform::GetDropDownSelection(recipients), -1);

  platform::ClickButton(second, platform::IDCANCEL);
  EXPECT_EQ(GetPostcardSender(), nullptr);
  Postcard("et1");  // the newest window is gone: seen nowhere
  EXPECT_EQ(platform::GetDlgItemText(first, resources::kSendResultLine, 200), "");
  platform::ClickButton(first, platform::IDCANCEL);
}

}  // namespace
