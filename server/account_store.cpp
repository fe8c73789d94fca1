#include "account_store.h"

#include <sqlite3.h>

namespace posyvaled {
namespace {

constexpr int kSchemaVersion = 1;

// Every table that belongs to a user refers to accounts(user_number).
// AUTOINCREMENT makes user numbers start at 1 and never come back after a
// deletion, so a number always names the same user.
constexpr const char* kSchemaSql = R"sql(
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
)sql";

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
  Execute(db_, "BEGIN IMMEDIATE;");
  try {
    Statement version(db_, "PRAGMA user_version;");
    int current = version.Step() == SQLITE_ROW ? version.ColumnInt(0) : 0;
    if (current == 0) {
      Execute(db_, kSchemaSql);
      Execute(db_, ("PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";").c_str());
    } else if (current > kSchemaVersion) {
      throw StoreError("database schema version " + std::to_string(current) +
                       " is newer than this server knows");
    }
    Execute(db_, "COMMIT;");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
    throw;
  }
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

}  // namespace posyvaled
