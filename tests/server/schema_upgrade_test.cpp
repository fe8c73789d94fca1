// A database written by the server before profiles and postcards existed
// opens with its accounts and items kept and the new parts added.
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "account_store.h"

namespace posyvaled {
namespace {

// The schema of version 2 with one account and one item.
constexpr const char* kVersion2Database = R"sql(
CREATE TABLE accounts (
  user_number   INTEGER PRIMARY KEY AUTOINCREMENT,
  login_id      TEXT NOT NULL UNIQUE,
  password_hash TEXT NOT NULL,
  handle_name   TEXT,
  appearance    INTEGER NOT NULL DEFAULT 0,
  last_x        INTEGER NOT NULL DEFAULT 300,
  last_y        INTEGER NOT NULL DEFAULT 240,
  last_map      INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE inventory (
  item_id     INTEGER PRIMARY KEY AUTOINCREMENT,
  user_number INTEGER NOT NULL REFERENCES accounts(user_number),
  item_code   TEXT NOT NULL
);
CREATE INDEX inventory_by_user ON inventory(user_number);
CREATE TABLE presents (
  item_id   INTEGER PRIMARY KEY,
  item_code TEXT NOT NULL,
  x         INTEGER NOT NULL,
  y         INTEGER NOT NULL,
  map       INTEGER NOT NULL
);
INSERT INTO accounts (login_id, password_hash, handle_name, appearance) VALUES ('hana', 'x', 'Hana', 3);
INSERT INTO inventory (user_number, item_code) VALUES (1, 'i4');
PRAGMA user_version = 2;
)sql";

TEST(SchemaUpgradeTest, AVersion2DatabaseKeepsItsDataAndGainsProfilesAndPostcards) {
  std::string pattern = (std::filesystem::temp_directory_path() / "schema-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  std::string path = pattern + "/server.db";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, kVersion2Database, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);

  {
    AccountStore store(path);
    std::optional<Account> hana = store.FindByLoginId("hana");
    ASSERT_TRUE(hana);
    EXPECT_EQ(hana->appearance, 3);
    ASSERT_EQ(store.Inventory(1).size(), 1u);
    EXPECT_EQ(store.Inventory(1)[0].item_code, "i4");
    std::optional<Profile> profile = store.FindProfile(1);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->handle_name, "Hana");
    EXPECT_EQ(profile->profile_text, "");
    EXPECT_EQ(profile->points, 500);
    EXPECT_EQ(profile->health, 10000);
    store.AddPostcard({1, 1, "memo", "to myself", 0});
  }
  // Opened again, nothing is upgraded twice and the card is still there.
  AccountStore store(path);
  ASSERT_EQ(store.WaitingPostcards(1).size(), 1u);
  EXPECT_EQ(store.WaitingPostcards(1)[0].message, "to myself");
  std::filesystem::remove_all(pattern);
}

}  // namespace
}  // namespace posyvaled
