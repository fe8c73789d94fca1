// The friends list file, read and rewritten without any window.
#include "client/community/friends.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/session/program.h"

namespace {

namespace fs = std::filesystem;

constexpr char kCannotOpen[] = "友達登録ファイルをオープン出来ませんでした。";
constexpr char kCannotCreate[] = "友達登録ファイルを作成に失敗しました。";
constexpr char kCannotWrite[] = "友達登録ファイル書き込みに失敗しました。";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh installation folder with its "mail" folder.
class FriendsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-friends-XXXXXX";
    folder_ = mkdtemp(pattern);
    InstallDir = folder_.string() + "/";
    fs::create_directory(folder_ / "mail");
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path ListPath() const { return folder_ / "mail" / "Friend.dat"; }
  fs::path RewritePath() const { return folder_ / "Friend.$$$"; }

  fs::path folder_;
};

std::string Failure(const FriendsOutcome& outcome) { return outcome.failure ? outcome.failure : ""; }

TEST_F(FriendsFileTest, PathsLieInMailAndInTheInstallationFolder) {
  EXPECT_EQ(FriendsFilePath(), ListPath().string());
  EXPECT_EQ(FriendsRewritePath(), RewritePath().string());
}

struct FileCase {
  const char* name;
  std::optional<std::string> before;  // no file when empty
  std::function<FriendsOutcome()> run;
  int result;
  const char* failure;
  std::optional<std::string> after;  // the file afterwards; no file when empty
};

TEST_F(FriendsFileTest, OperationsFollowTheFileRules) {
  const std::string hanas = "hana,12\r\nhanako,5\r\nhana,13\r\nmomo,7\r\n";
  const std::string long_line = std::string(130, 'a') + ",5\r\n";  // read as 126 bytes, then "aaaa,5"
  const std::string long_name(40, 'n');
  const FileCase cases[] = {
      {"first registration creates the file", std::nullopt, [] { return AppendFriend("hana", 12); }, 0, "",
       "hana,12\r\n"},
      {"a listed number is not registered again under another name", "hanako,12\r\n",
       [] { return AppendFriend("hana", 12); }, 1, "", "hanako,12\r\n"},
      {"the same name with another number is appended", "hana,13\r\n", [] { return AppendFriend("hana", 12); },
       0, "", "hana,13\r\nhana,12\r\n"},
      {"a line without a number counts as number 0", "nocomma\r\n", [] { return AppendFriend("x", 0); }, 1, "",
       "nocomma\r\n"},
      {"double-byte names are written as they are", "", [] { return AppendFriend("花子", 21); }, 0, "",
       "花子,21\r\n"},
      {"look-up gives the first of two lines", hanas, [] { return FindFriendNumber("hana"); }, 12, "", hanas},
      {"look-up of the beginning of a name finds nothing", hanas, [] { return FindFriendNumber("han"); }, 0, "",
       hanas},
      {"names compare case-sensitively", hanas, [] { return FindFriendNumber("Hana"); }, 0, "", hanas},
      {"a line without a comma keeps its line end in the name", "nocomma\r\n",
       [] { return FindFriendNumber("nocomma"); }, 0, "", "nocomma\r\n"},
      {"leading commas and comma runs separate once", ",,hana,,,12\r\n", [] { return FindFriendNumber("hana"); },
       12, "", ",,hana,,,12\r\n"},
      {"a long line reads as two lines", long_line, [] { return FindFriendNumber("aaaa"); }, 5, "", long_line},
      {"look-up without a file", std::nullopt, [] { return FindFriendNumber("hana"); }, -1, kCannotOpen,
       std::nullopt},
      {"deletion drops every line of the name and keeps the order", hanas,
       [] { return RemoveFriendLines("hana"); }, 0, "", "hanako,5\r\nmomo,7\r\n"},
      {"a name over 31 bytes is cut and then matches nothing", long_name + ",3\r\n",
       [&] { return RemoveFriendLines(long_name); }, 0, "", long_name + ",3\r\n"},
      {"deletion with no recipient chosen", hanas, [] { return RemoveFriendLines(""); }, -1, "", hanas},
      {"deletion without a file", std::nullopt, [] { return RemoveFriendLines("hana"); }, -1, kCannotOpen,
       std::nullopt},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(ListPath());
    if (c.before) WriteBytes(ListPath(), *c.before);
    const FriendsOutcome outcome = c.run();
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(Failure(outcome), c.failure);
    ASSERT_EQ(fs::exists(ListPath()), c.after.has_value());
    if (c.after) {
      EXPECT_EQ(ReadBytes(ListPath()), *c.after);
    }
    EXPECT_FALSE(fs::exists(RewritePath())) << "the rewrite file was left behind";
  }
}

TEST_F(FriendsFileTest, NamesAreListedInFileOrderWithTheirPieces) {
  WriteBytes(ListPath(), "hana,12\r\nnocomma\r\n" + std::string(130, 'a') + ",5\r\n花子,21\r\n");
  std::vector<std::string> names;
  const FriendsOutcome outcome = ReadFriendNames(names);
  EXPECT_EQ(outcome.result, 0);
  const std::vector<std::string> expected = {"hana", "nocomma\n", std::string(126, 'a'), "aaaa", "花子"};
  EXPECT_EQ(names, expected);

  fs::remove(ListPath());
  names.clear();
  EXPECT_EQ(ReadFriendNames(names).result, -1);
  EXPECT_TRUE(names.empty());
}

TEST_F(FriendsFileTest, WithoutTheMailFolderEveryOperationFailsToOpen) {
  fs::remove(folder_ / "mail");
  std::vector<std::string> names;
  EXPECT_EQ(Failure(ReadFriendNames(names)), kCannotOpen);
  EXPECT_EQ(Failure(FindFriendNumber("hana")), kCannotOpen);
  EXPECT_EQ(Failure(RemoveFriendLines("hana")), kCannotOpen);
  const FriendsOutcome registered = AppendFriend("hana", 12);
  EXPECT_EQ(registered.result, -1);
  EXPECT_EQ(Failure(registered), kCannotOpen);
}

// Each way a rewrite can stop before it is complete leaves the old list in
// place.
TEST_F(FriendsFileTest, AnUnfinishedRewriteLeavesTheOldList) {
  const std::string list = "hana,12\r\nmomo,7\r\n";
  WriteBytes(ListPath(), list);

  fs::create_directory(RewritePath());  // the rewrite file cannot be made
  EXPECT_EQ(Failure(RemoveFriendLines("hana")), kCannotCreate);
  EXPECT_EQ(ReadBytes(ListPath()), list);
  fs::remove(RewritePath());

  fs::create_symlink("/dev/full", RewritePath());  // every write fails
  const FriendsOutcome full = RemoveFriendLines("hana");
  EXPECT_EQ(full.result, -1);
  EXPECT_EQ(Failure(full), kCannotWrite);
  EXPECT_EQ(ReadBytes(ListPath()), list);
  fs::remove(RewritePath());
}

// When the final rename cannot happen (here: the mail folder lies on
// another file system), the list must still be there.
TEST_F(FriendsFileTest, AFailedRenameKeepsTheOldListAndTheNewOneBeside) {
  struct stat install {}, shared {};
  ASSERT_EQ(stat(folder_.c_str(), &install), 0);
  ASSERT_EQ(stat("/dev/shm", &shared), 0);
  if (install.st_dev == shared.st_dev) GTEST_SKIP() << "/dev/shm is on the same file system as /tmp";
  char pattern[] = "/dev/shm/posyvale-mail-XXXXXX";
  const fs::path mail = mkdtemp(pattern);
  fs::remove(folder_ / "mail");
  fs::create_directory_symlink(mail, folder_ / "mail");
  const std::string list = "hana,12\r\nmomo,7\r\n";
  WriteBytes(ListPath(), list);

  EXPECT_EQ(RemoveFriendLines("hana").result, -1);
  EXPECT_EQ(ReadBytes(ListPath()), list);
  EXPECT_EQ(ReadBytes(RewritePath()), "momo,7\r\n");
  fs::remove_all(mail);
}

}  // namespace
