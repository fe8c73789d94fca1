// Postcard files written from the server's "h" messages, card numbers, and
// the requests and checks of a card to send.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/community/mailbox.h"
#include "client/community/postcard_send.h"
#include "client/session/program.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Handle(std::string text) { HandlePostcardMessage(text.data()); }

std::vector<std::string> MailFiles(const fs::path& mail) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(mail)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class PostcardFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-mail-XXXXXX";
    folder_ = mkdtemp(pattern);
    InstallDir = folder_.string() + "/";
    fs::create_directory(Mail());
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path Mail() const { return folder_ / "mail"; }
  void Touch(const char* name) { std::ofstream(Mail() / name) << "x"; }

  fs::path folder_;
};

TEST_F(PostcardFileTest, ACardIsWrittenWithItsHeaderAndMessageInCp932AndCrLf) {
  Handle("1,2003/05/01,12:30,345,hana,hello");
  Handle("2はがき、");
  Handle("3です");
  EXPECT_EQ(ReadBytes(Mail() / "1.hgk"), "hana\t345\r\nhello\r\n2003/05/01 [12:30]\r\nはがき、です");
}

TEST_F(PostcardFileTest, LineBreaksOfTheMessageAreStoredAsCrLfAlsoWhenAPieceEndsBetweenThem) {
  Handle("1x,d,t,7,momo,s");
  Handle("2one\r");
  Handle("2\ntwo\nthree\r\n");
  Handle("3four\rfive");
  EXPECT_EQ(ReadBytes(Mail() / "1.hgk"), "momo\t7\r\ns\r\nd [t]\r\none\r\ntwo\r\nthree\r\nfour\r\nfive");
}

TEST_F(PostcardFileTest, ANewCardTakesTheFirstNumberWhoseUnreadAndReadFilesAreBothFree) {
  struct Case {
    std::vector<const char*> present;
    int number;
  } const cases[] = {
      {{}, 1},
      {{"1.hgk", "2.hgk"}, 3},
      {{"2.hgk"}, 1},
      {{"01.hgk"}, 2},
      {{"01.hgk", "2.hgk", "03.hgk", "5.hgk"}, 4},
  };
  for (const Case& c : cases) {
    fs::remove_all(Mail());
    fs::create_directory(Mail());
    for (const char* name : c.present) Touch(name);
    EXPECT_EQ(NextCardNumber(), c.number) << c.present.size() << " files";
  }
  EXPECT_EQ(CardFilePath(12), InstallDir + "mail/12.hgk");
  EXPECT_EQ(ReadCardPath(CardFilePath(12)), InstallDir + "mail/012.hgk");
}

TEST_F(PostcardFileTest, ACardBeganWhileAnotherIsOpenClosesItWithWhatItReceived) {
  Handle("1x,d,t,1,a,first");
  Handle("2half of it");
  Handle("1x,d,t,2,b,second");
  Handle("3whole");
  EXPECT_EQ(ReadBytes(Mail() / "1.hgk"), "a\t1\r\nfirst\r\nd [t]\r\nhalf of it");
  EXPECT_EQ(ReadBytes(Mail() / "2.hgk"), "b\t2\r\nsecond\r\nd [t]\r\nwhole");
}

TEST_F(PostcardFileTest, PiecesWithoutAnOpenCardWriteNothing) {
  Handle("1x,d,t,1,a,s");
  Handle("3done");
  const std::string first = ReadBytes(Mail() / "1.hgk");
  ReceivedCount = 0;
  Handle("2stray");
  Handle("3stray");
  EXPECT_EQ(ReadBytes(Mail() / "1.hgk"), first);
  EXPECT_EQ(MailFiles(Mail()), std::vector<std::string>{"1.hgk"});
  EXPECT_EQ(ReceivedCount, 0) << "no stored card, nothing counted";
}

TEST(PostcardRequestsTest, TheMessageGoesInPiecesOf240Bytes) {
  struct Case {
    std::size_t size;
    std::vector<std::size_t> h2_pieces;
    std::size_t h3_piece;
  } const cases[] = {
      {1, {}, 1}, {240, {}, 240}, {241, {240}, 1}, {480, {240}, 240}, {799, {240, 240, 240}, 79},
  };
  for (const Case& c : cases) {
    std::string message;
    for (std::size_t i = 0; i < c.size; ++i) message += static_cast<char>('a' + i % 26);
    const std::vector<std::string> requests = PostcardRequests(345, "hana", "hi", message);
    ASSERT_EQ(requests.size(), c.h2_pieces.size() + 2) << c.size;
    EXPECT_EQ(requests[0], "h1345,hana,hi");
    std::string joined;
    for (std::size_t i = 0; i < c.h2_pieces.size(); ++i) {
      EXPECT_EQ(requests[i + 1].substr(0, 2), "h2");
      EXPECT_EQ(requests[i + 1].size() - 2, c.h2_pieces[i]) << c.size;
      joined += requests[i + 1].substr(2);
    }
    EXPECT_EQ(requests.back().substr(0, 2), "h3");
    EXPECT_EQ(requests.back().size() - 2, c.h3_piece) << c.size;
    joined += requests.back().substr(2);
    EXPECT_EQ(joined, message);
  }
}

TEST(PostcardRequestsTest, LineBreaksAndDoubleByteCharactersGoAsBytes) {
  // 239 bytes, then a double-byte character across the piece boundary.
  const std::string message = std::string(237, 'a') + "\r\n" + "あい";
  const std::vector<std::string> requests = PostcardRequests(0, "momo", "s", message);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1], "h2" + message.substr(0, 240));
  EXPECT_EQ(requests[2], "h3" + message.substr(240));
  EXPECT_EQ(requests[2].size(), 5u);
}

TEST(PostcardChecksTest, TheFirstFailingCheckInOrderIsShown) {
  const std::string longest(799, 'x');
  struct Case {
    const char* recipient;
    const char* subject;
    std::string message;
    const char* warning;
  } const cases[] = {
      {"", "", "", "送信先を選択してください。"},
      {"hana", "", "", "件名を選択してください。"},
      {"hana", "s", "", "送信メッセージを入力してください。"},
      {"hana", "s", longest + "x", "送信メッセージは、８００文字以内です。"},
      {"hana", "s", longest, nullptr},
  };
  for (const Case& c : cases) {
    const char* warning = CheckPostcard(c.recipient, c.subject, c.message);
    EXPECT_STREQ(warning, c.warning) << c.recipient << "/" << c.subject << "/" << c.message.size();
  }
}

TEST(SendResultTest, CodesAndTheirTexts) {
  EXPECT_EQ(SendResultText(0), "送信が完了しました。");
  EXPECT_EQ(SendResultText(1), "メールの送信に失敗しました。「相手のメールボックスが一杯です。」");
  EXPECT_EQ(SendResultText(2), "メールの送信に失敗しました。「送信先ＩＤ該当なし」");
  EXPECT_EQ(SendResultText(3), "メールの送信に失敗しました。「ハンドル名、送信先ＩＤ不一致」");
  EXPECT_EQ(SendResultText(9), "メールの送信に失敗しました。「エラー番号 9」");
}

}  // namespace
