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

  // SQLITE_ROW while a row is available, SQLITE_DONE at the end.
  int Step() { return sqlite3_step(stmt_); }

  std::string ColumnText(int column) {
    const void* bytes = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
  }
  bool ColumnIsNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  int ColumnInt(int column) { return sqlite3_column_int(stmt_, column); }

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

}  // namespace posyvaled
