#include "account_store.h"

#include <sqlite3.h>

#include <iterator>

namespace posyvaled {
namespace {

// kSchemaSteps[i] brings a database from schema version i to i + 1; a new
// file runs them all, an older file the ones it lacks.
//
// Every table that belongs to a user refers to accounts(user_number).
// AUTOINCREMENT makes user numbers start at 1 and never come back after a
// deletion, so a number always names the same user. Item ids are made the
// same way: an item keeps its id while it moves between an inventory and
// the scene, and no other item ever gets it.
constexpr const char* kSchemaSteps[] = {
    R"sql(
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
)sql",
    R"sql(
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
)sql",
    // Profiles and postcards. A new account starts with 500 points and the
    // full health of 10000 (shown to its user as 100). A card stays in the
    // table after delivery, marked delivered.
    R"sql(
ALTER TABLE accounts ADD COLUMN profile_text TEXT NOT NULL DEFAULT '';
ALTER TABLE accounts ADD COLUMN points INTEGER NOT NULL DEFAULT 500;
ALTER TABLE accounts ADD COLUMN health INTEGER NOT NULL DEFAULT 10000;
CREATE TABLE postcards (
  card_id   INTEGER PRIMARY KEY AUTOINCREMENT,
  sender    INTEGER NOT NULL REFERENCES accounts(user_number),
  recipient INTEGER NOT NULL REFERENCES accounts(user_number),
  subject   TEXT NOT NULL,
  message   TEXT NOT NULL,
  sent_at   INTEGER NOT NULL,
  delivered INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX postcards_waiting ON postcards(recipient, delivered);
)sql",
};
constexpr int kSchemaVersion = static_cast<int>(std::size(kSchemaSteps));

// Owns one prepared statement.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
      throw StoreError(std::string("cannot prepare statement: ") + sqlite3_errmsg(db));
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void BindText(int index, std::string_view text) {
    Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
  }
  void BindOptionalText(int index, const std::optional<std::string>& text) {
    if (text) {
      BindText(index, *text);
    } else {
      Check(sqlite3_bind_null(stmt_, index));
    }
  }
  void BindInt(int index, int value) { Check(sqlite3_bind_int(stmt_, index, value)); }
  void BindInt64(int index, long long value) { Check(sqlite3_bind_int64(stmt_, index, value)); }

  // SQLITE_ROW while a row is available, SQLITE_DONE at the end.
  int Step() { return sqlite3_step(stmt_); }

  std::string ColumnText(int column) {
    const void* bytes = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
  }
  bool ColumnIsNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  int ColumnInt(int column) { return sqlite3_column_int(stmt_, column); }
  long long ColumnInt64(int column) { return sqlite3_column_int64(stmt_, column); }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) throw StoreError(std::string("cannot bind value: ") + sqlite3_errmsg(db_));
  }

  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

void Execute(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    throw StoreError("database error: " + text);
  }
}

// Runs the statements between construction and Commit() as one
// transaction; rolls back when left without Commit().
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) { Execute(db_, "BEGIN IMMEDIATE;"); }
  ~Transaction() {
    if (!committed_) sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit() {
    Execute(db_, "COMMIT;");
    committed_ = true;
  }

 private:
  sqlite3* db_;
  bool committed_ = false;
};

// Steps a statement that returns no rows.
void RunToEnd(sqlite3* db, Statement& statement, const char* what) {
  if (statement.Step() != SQLITE_DONE) {
    throw StoreError(std::string("cannot ") + what + ": " + sqlite3_errmsg(db));
  }
}

}  // namespace

AccountStore::AccountStore(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    std::string text = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw StoreError("cannot open database " + path + ": " + text);
  }
  // The command line may add accounts while the server has the file open.
  sqlite3_busy_timeout(db_, 5000);
  try {
    Execute(db_, "PRAGMA foreign_keys = ON;");
    CreateSchema();
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

AccountStore::~AccountStore() { sqlite3_close(db_); }

void AccountStore::CreateSchema() {
  Transaction transaction(db_);
  Statement version(db_, "PRAGMA user_version;");
  int current = version.Step() == SQLITE_ROW ? version.ColumnInt(0) : 0;
  if (current > kSchemaVersion) {
    throw StoreError("database schema version " + std::to_string(current) +
                     " is newer than this server knows");
  }
  for (int step = current; step < kSchemaVersion; ++step) Execute(db_, kSchemaSteps[step]);
  if (current != kSchemaVersion) {
    Execute(db_, ("PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";").c_str());
  }
  transaction.Commit();
}

int AccountStore::AddAccount(const NewAccount& account) {
  Statement insert(db_,
                   "INSERT INTO accounts (login_id, password_hash, handle_name, appearance,"
                   " last_x, last_y, last_map) VALUES (?, ?, ?, ?, ?, ?, ?);");
  insert.BindText(1, account.login_id);
  insert.BindText(2, account.password_hash);
  insert.BindOptionalText(3, account.handle_name);
  insert.BindInt(4, account.appearance);
  insert.BindInt(5, account.x);
  insert.BindInt(6, account.y);
  insert.BindInt(7, account.map);
  int rc = insert.Step();
  if (rc == SQLITE_CONSTRAINT) {
    throw DuplicateLoginIdError("login ID \"" + account.login_id + "\" is already taken");
  }
  if (rc != SQLITE_DONE) {
    throw StoreError(std::string("cannot add the account: ") + sqlite3_errmsg(db_));
  }
  return static_cast<int>(sqlite3_last_insert_rowid(db_));
}

std::optional<Account> AccountStore::FindByLoginId(std::string_view login_id) {
  Statement select(db_,
                   "SELECT user_number, login_id, password_hash, handle_name, appearance,"
                   " last_x, last_y, last_map FROM accounts WHERE login_id = ?;");
  select.BindText(1, login_id);
  int rc = select.Step();
  if (rc == SQLITE_DONE) return std::nullopt;
  if (rc != SQLITE_ROW) {
    throw StoreError(std::string("cannot read the account: ") + sqlite3_errmsg(db_));
  }
  Account account;
  account.user_number = select.ColumnInt(0);
  account.login_id = select.ColumnText(1);
  account.password_hash = select.ColumnText(2);
  if (!select.ColumnIsNull(3)) account.handle_name = select.ColumnText(3);
  account.appearance = select.ColumnInt(4);
  account.x = select.ColumnInt(5);
  account.y = select.ColumnInt(6);
  account.map = select.ColumnInt(7);
  return account;
}

void AccountStore::SavePosition(int user_number, int x, int y, int map) {
  Statement update(db_,
                   "UPDATE accounts SET last_x = ?, last_y = ?, last_map = ? WHERE user_number = ?;");
  update.BindInt(1, x);
  update.BindInt(2, y);
  update.BindInt(3, map);
  update.BindInt(4, user_number);
  RunToEnd(db_, update, "save the position");
}

void AccountStore::SaveAppearance(int user_number, int appearance) {
  Statement update(db_, "UPDATE accounts SET appearance = ? WHERE user_number = ?;");
  update.BindInt(1, appearance);
  update.BindInt(2, user_number);
  RunToEnd(db_, update, "save the appearance");
}

std::optional<Profile> AccountStore::FindProfile(int user_number) {
  Statement select(db_,
                   "SELECT handle_name, profile_text, points, health FROM accounts"
                   " WHERE user_number = ? AND handle_name IS NOT NULL;");
  select.BindInt(1, user_number);
  if (select.Step() != SQLITE_ROW) return std::nullopt;
  return Profile{select.ColumnText(0), select.ColumnText(1), select.ColumnInt(2),
                 select.ColumnInt(3)};
}

namespace {

// Runs an UPDATE of one account; true when the account exists.
bool UpdateAccount(sqlite3* db, Statement& update, const char* what) {
  RunToEnd(db, update, what);
  return sqlite3_changes(db) > 0;
}

}  // namespace

bool AccountStore::SaveProfileText(int user_number, std::string_view text) {
  Statement update(db_, "UPDATE accounts SET profile_text = ? WHERE user_number = ?;");
  update.BindText(1, text);
  update.BindInt(2, user_number);
  return UpdateAccount(db_, update, "save the profile text");
}

bool AccountStore::SavePoints(int user_number, int points) {
  Statement update(db_, "UPDATE accounts SET points = ? WHERE user_number = ?;");
  update.BindInt(1, points);
  update.BindInt(2, user_number);
  return UpdateAccount(db_, update, "save the points");
}

bool AccountStore::SaveHealth(int user_number, int health) {
  Statement update(db_, "UPDATE accounts SET health = ? WHERE user_number = ?;");
  update.BindInt(1, health);
  update.BindInt(2, user_number);
  return UpdateAccount(db_, update, "save the health");
}

int AccountStore::AddItem(int user_number, std::string_view item_code) {
  Statement insert(db_, "INSERT INTO inventory (user_number, item_code) VALUES (?, ?);");
  insert.BindInt(1, user_number);
  insert.BindText(2, item_code);
  RunToEnd(db_, insert, "add the item");
  return static_cast<int>(sqlite3_last_insert_rowid(db_));
}

std::vector<Item> AccountStore::Inventory(int user_number) {
  Statement select(db_,
                   "SELECT item_id, item_code FROM inventory WHERE user_number = ? ORDER BY item_id;");
  select.BindInt(1, user_number);
  std::vector<Item> items;
  while (select.Step() == SQLITE_ROW) items.push_back({select.ColumnInt(0), select.ColumnText(1)});
  return items;
}

std::optional<Item> AccountStore::FindOwnedItem(int user_number, int item_id) {
  Statement select(db_,
                   "SELECT item_code FROM inventory WHERE item_id = ? AND user_number = ?;");
  select.BindInt(1, item_id);
  select.BindInt(2, user_number);
  if (select.Step() != SQLITE_ROW) return std::nullopt;
  return Item{item_id, select.ColumnText(0)};
}

bool AccountStore::RemoveItem(int user_number, int item_id) {
  Statement remove(db_, "DELETE FROM inventory WHERE item_id = ? AND user_number = ?;");
  remove.BindInt(1, item_id);
  remove.BindInt(2, user_number);
  RunToEnd(db_, remove, "remove the item");
  return sqlite3_changes(db_) > 0;
}

bool AccountStore::SellItem(int user_number, int item_id, int price) {
  Transaction transaction(db_);
  if (!RemoveItem(user_number, item_id)) return false;
  Statement update(db_,
                   "UPDATE accounts SET points = MIN(points + ?, 2147483647) WHERE user_number = ?;");
  update.BindInt(1, price);
  update.BindInt(2, user_number);
  RunToEnd(db_, update, "pay for the item");
  transaction.Commit();
  return true;
}

void AccountStore::RaiseHealth(int user_number, int amount, int ceiling) {
  // Health already above the ceiling (set by the operator) is left alone.
  Statement update(db_,
                   "UPDATE accounts SET health = MAX(health, MIN(health + ?, ?))"
                   " WHERE user_number = ?;");
  update.BindInt(1, amount);
  update.BindInt(2, ceiling);
  update.BindInt(3, user_number);
  RunToEnd(db_, update, "raise the health");
}

std::optional<Present> AccountStore::PlacePresent(int user_number, int item_id, int x, int y,
                                                  int map) {
  Transaction transaction(db_);
  std::optional<Item> item = FindOwnedItem(user_number, item_id);
  if (!item) return std::nullopt;
  Statement remove(db_, "DELETE FROM inventory WHERE item_id = ?;");
  remove.BindInt(1, item_id);
  RunToEnd(db_, remove, "take the item out of the inventory");
  Statement insert(db_,
                   "INSERT INTO presents (item_id, item_code, x, y, map) VALUES (?, ?, ?, ?, ?);");
  insert.BindInt(1, item_id);
  insert.BindText(2, item->item_code);
  insert.BindInt(3, x);
  insert.BindInt(4, y);
  insert.BindInt(5, map);
  RunToEnd(db_, insert, "place the present");
  transaction.Commit();
  return Present{*item, x, y, map};
}

std::optional<Item> AccountStore::PickUpPresent(int user_number, int item_id) {
  Transaction transaction(db_);
  Statement select(db_, "SELECT item_code FROM presents WHERE item_id = ?;");
  select.BindInt(1, item_id);
  if (select.Step() != SQLITE_ROW) return std::nullopt;
  Item item{item_id, select.ColumnText(0)};
  Statement remove(db_, "DELETE FROM presents WHERE item_id = ?;");
  remove.BindInt(1, item_id);
  RunToEnd(db_, remove, "remove the present");
  Statement insert(db_,
                   "INSERT INTO inventory (item_id, user_number, item_code) VALUES (?, ?, ?);");
  insert.BindInt(1, item_id);
  insert.BindInt(2, user_number);
  insert.BindText(3, item.item_code);
  RunToEnd(db_, insert, "put the present into the inventory");
  transaction.Commit();
  return item;
}

std::vector<Present> AccountStore::Presents() {
  Statement select(db_, "SELECT item_id, item_code, x, y, map FROM presents ORDER BY item_id;");
  std::vector<Present> presents;
  while (select.Step() == SQLITE_ROW) {
    presents.push_back({{select.ColumnInt(0), select.ColumnText(1)},
                        select.ColumnInt(2),
                        select.ColumnInt(3),
                        select.ColumnInt(4)});
  }
  return presents;
}

int AccountStore::AddPostcard(const NewPostcard& card) {
  Statement insert(db_,
                   "INSERT INTO postcards (sender, recipient, subject, message, sent_at)"
                   " VALUES (?, ?, ?, ?, ?);");
  insert.BindInt(1, card.sender);
  insert.BindInt(2, card.recipient);
  insert.BindText(3, card.subject);
  insert.BindText(4, card.message);
  insert.BindInt64(5, card.sent_at);
  RunToEnd(db_, insert, "store the postcard");
  return static_cast<int>(sqlite3_last_insert_rowid(db_));
}

int AccountStore::WaitingPostcardCount(int recipient) {
  Statement count(db_, "SELECT COUNT(*) FROM postcards WHERE recipient = ? AND delivered = 0;");
  count.BindInt(1, recipient);
  return count.Step() == SQLITE_ROW ? count.ColumnInt(0) : 0;
}

std::vector<Postcard> AccountStore::WaitingPostcards(int recipient) {
  Statement select(db_,
                   "SELECT p.card_id, p.sender, a.handle_name, p.subject, p.message, p.sent_at"
                   " FROM postcards p JOIN accounts a ON a.user_number = p.sender"
                   " WHERE p.recipient = ? AND p.delivered = 0 ORDER BY p.card_id;");
  select.BindInt(1, recipient);
  std::vector<Postcard> cards;
  while (select.Step() == SQLITE_ROW) {
    cards.push_back({select.ColumnInt(0), select.ColumnInt(1), select.ColumnText(2),
                     select.ColumnText(3), select.ColumnText(4), select.ColumnInt64(5)});
  }
  return cards;
}

void AccountStore::MarkPostcardDelivered(int card_id) {
  Statement update(db_, "UPDATE postcards SET delivered = 1 WHERE card_id = ?;");
  update.BindInt(1, card_id);
  RunToEnd(db_, update, "mark the postcard delivered");
}

}  // namespace posyvaled
