// The add-account command: what it stores, and the accounts it refuses.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "account_store.h"
#include "command_line.h"
#include "inventory_messages.h"
#include "password_hash.h"

namespace posyvaled {
namespace {

struct CommandResult {
  int exit_code;
  std::string out;
  std::string err;
};

// "は" in UTF-8; two bytes in CP932.
const std::string kHa = "\xe3\x81\xaf";

std::string Repeat(const std::string& text, int count) {
  std::string result;
  for (int i = 0; i < count; ++i) result += text;
  return result;
}

class AddAccountCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "add-account-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    db_path_ = folder_ + "/server.db";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  CommandResult AddAccount(std::vector<std::string> args) {
    args.insert(args.begin(), "add-account");
    return Run(args);
  }

  CommandResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--db", db_path_});
    std::ostringstream out, err;
    int exit_code = RunCommandLine(args, out, err);
    return {exit_code, out.str(), err.str()};
  }

  std::string folder_;
  std::string db_path_;
};

TEST_F(AddAccountCommandTest, StoresAccountsUnderIncreasingUserNumbers) {
  CommandResult first = AddAccount({"hana", "secret", "--handle", kHa + "na", "--appearance", "3",
                                    "--x", "100", "--y", "-5", "--map", "4"});
  ASSERT_EQ(first.exit_code, 0) << first.err;
  EXPECT_EQ(first.out, "1\n");
  CommandResult second = AddAccount({"taro", "pw", "--handle", "Taro"});
  ASSERT_EQ(second.exit_code, 0) << second.err;
  EXPECT_EQ(second.out, "2\n");
  CommandResult third = AddAccount({"newcomer", "pw"});
  ASSERT_EQ(third.exit_code, 0) << third.err;
  EXPECT_EQ(third.out, "3\n");

  AccountStore store(db_path_);
  std::optional<Account> hana = store.FindByLoginId("hana");
  ASSERT_TRUE(hana);
  EXPECT_EQ(hana->user_number, 1);
  EXPECT_EQ(hana->handle_name, "\x82\xcd" "na");
  EXPECT_EQ(hana->appearance, 3);
  EXPECT_EQ(hana->x, 100);
  EXPECT_EQ(hana->y, -5);
  EXPECT_EQ(hana->map, 4);
  EXPECT_EQ(hana->password_hash.find("secret"), std::string::npos);
  EXPECT_TRUE(VerifyPassword("secret", hana->password_hash));
  EXPECT_FALSE(VerifyPassword("secreT", hana->password_hash));

  std::optional<Account> taro = store.FindByLoginId("taro");
  ASSERT_TRUE(taro);
  EXPECT_EQ(taro->appearance, 0);
  EXPECT_EQ(taro->x, 300);
  EXPECT_EQ(taro->y, 240);
  EXPECT_EQ(taro->map, 0);

  std::optional<Account> newcomer = store.FindByLoginId("newcomer");
  ASSERT_TRUE(newcomer);
  EXPECT_FALSE(newcomer->handle_name);
}

TEST_F(AddAccountCommandTest, AcceptsTextsOfUpTo31Cp932Bytes) {
  // 15 Japanese characters are 45 bytes of UTF-8 but 30 of CP932.
  std::string handle = Repeat(kHa, 15) + "x";
  CommandResult result = AddAccount({std::string(31, 'i'), std::string(31, 'p'), "--handle", handle});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  AccountStore store(db_path_);
  std::optional<Account> account = store.FindByLoginId(std::string(31, 'i'));
  ASSERT_TRUE(account);
  EXPECT_EQ(account->handle_name->size(), 31u);
}

TEST_F(AddAccountCommandTest, RefusesBadAccountsWithAMessageAndAddsNothing) {
  ASSERT_EQ(AddAccount({"hana", "secret", "--handle", "Hanako"}).exit_code, 0);
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"ha,na", "secret"}, "login ID must not contain a comma"},
      {{"taro", "se,cret"}, "password must not contain a comma"},
      {{"taro", "secret", "--handle", "Ta,ro"}, "handle name must not contain a comma"},
      {{"hana", "other", "--handle", "Other"}, "login ID \"hana\" is already taken"},
      {{std::string(32, 'i'), "secret"}, "login ID is 32 bytes"},
      {{"taro", std::string(32, 'p')}, "password is 32 bytes"},
      {{"taro", "secret", "--handle", Repeat(kHa, 16)}, "handle name is 32 bytes"},
      {{"taro", "secret", "--handle", "\xf0\x9f\x98\x80"}, "cannot be written in CP932"},
      {{"taro", "secret", "--handle", "Taro", "--x", "1o0"}, "--x needs a whole number"},
      {{"taro"}, "needs exactly a login ID and a password"},
      {{"taro", "secret", "--colour", "red"}, "unknown option --colour"},
      {{"taro", "secret", "--port", "5"}, "--port does not apply to add-account"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    CommandResult result = AddAccount(c.args);
    EXPECT_NE(result.exit_code, 0);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  // Nothing above was stored: the next account gets the next number.
  CommandResult next = AddAccount({"taro", "secret"});
  ASSERT_EQ(next.exit_code, 0) << next.err;
  EXPECT_EQ(next.out, "2\n");
}

TEST_F(AddAccountCommandTest, NewAccountsGetStarterItemsOfBothParitiesUnlessToldOtherwise) {
  ASSERT_EQ(AddAccount({"hana", "secret", "--handle", "Hana"}).exit_code, 0);
  ASSERT_EQ(AddAccount({"taro", "pw", "--handle", "Taro", "--no-starter-items"}).exit_code, 0);
  AccountStore store(db_path_);
  bool odd = false, even = false, ordinary = false;
  for (const Item& item : store.Inventory(1)) {
    SCOPED_TRACE(item.item_code);
    ASSERT_TRUE(IsItemCode(item.item_code));
    if (!IsAppearanceItemCode(item.item_code)) {
      ordinary = true;
    } else {
      (std::stoi(item.item_code) % 2 ? odd : even) = true;
    }
  }
  EXPECT_TRUE(odd && even && ordinary);
  EXPECT_TRUE(store.Inventory(2).empty());
}

TEST_F(AddAccountCommandTest, SetsProfileTextPointsAndHealth) {
  ASSERT_EQ(AddAccount({"hana", "secret", "--handle", "Hana"}).exit_code, 0);
  std::string longest = Repeat(kHa, 50);  // 100 bytes in CP932
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"set-profile", "1", longest}, {"set-points", "1", "-20"},
        {"set-health", "1", "250"}}) {
    CommandResult result = Run(args);
    EXPECT_EQ(result.exit_code, 0) << result.err;
  }
  AccountStore store(db_path_);
  std::optional<Profile> profile = store.FindProfile(1);
  ASSERT_TRUE(profile);
  EXPECT_EQ(profile->profile_text, Repeat("\x82\xcd", 50));
  EXPECT_EQ(profile->points, -20);
  EXPECT_EQ(profile->health, 250);
}

TEST_F(AddAccountCommandTest, RefusesBadItemsAndProfilesWithAMessage) {
  ASSERT_EQ(AddAccount({"hana", "secret", "--handle", "Hana", "--no-starter-items"}).exit_code, 0);
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"add-item", "1", "0"}, "item code must be"},  // would read as an empty list
      {{"add-item", "1", "07"}, "item code must be"},
      {{"add-item", "1", "34"}, "item code must be"},  // the present picture
      {{"add-item", "1", "i01"}, "item code must be"},
      {{"add-item", "1", "x1"}, "item code must be"},
      {{"add-item", "0", "i1"}, "user number must be a whole number from 1"},
      {{"set-profile", "1", "hello, there"}, "must not contain a comma"},
      {{"set-profile", "1", Repeat(kHa, 50) + "x"}, "101 bytes in CP932"},
      {{"set-profile", "9", "hello"}, "no account has the user number 9"},
      {{"set-points", "1", "12a"}, "points must be a whole number"},
      {{"set-health", "1"}, "needs exactly a user number and a health value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    CommandResult result = Run(c.args);
    EXPECT_NE(result.exit_code, 0);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  AccountStore store(db_path_);
  EXPECT_TRUE(store.Inventory(1).empty());
  EXPECT_EQ(store.FindProfile(1)->profile_text, "");
}

TEST(ServerCommandLineTest, RefusesBadServerOptions) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--address", "127.0.0.1"}, "--db PATH is required"},
      {{"--db", "unused.db", "--port", "0"}, "--port needs a whole number from 1 to 65535"},
      {{"--db", "unused.db", "--address", "localhost"}, "--address needs an IPv4 address"},
      {{"--db", "unused.db", "--newest-version", "1.6"}, "--newest-version needs a whole number"},
      {{"--db", "unused.db", "serve"}, "unknown command serve"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::ostringstream out, err;
    EXPECT_NE(RunCommandLine(c.args, out, err), 0);
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
  }
  EXPECT_FALSE(std::filesystem::exists("unused.db"));
}

}  // namespace
}  // namespace posyvaled
