#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;

namespace posyvaled {

// Texts (login ID, handle name) are CP932 byte strings; SQLite keeps them
// byte for byte in TEXT columns without checking their encoding.
struct Account {
  int user_number = 0;
  std::string login_id;
  std::string password_hash;
  std::optional<std::string> handle_name;  // empty: no character yet
  int appearance = 0;
  int x = 0;
  int y = 0;
  int map = 0;
};

struct NewAccount {
  std::string login_id;
  std::string password_hash;
  std::optional<std::string> handle_name;
  int appearance = 0;
  int x = 0;
  int y = 0;
  int map = 0;
};

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DuplicateLoginIdError : public StoreError {
 public:
  using StoreError::StoreError;
};

// The server's one database file. Opening a file that does not exist yet
// creates it with the current schema.
class AccountStore {
 public:
  explicit AccountStore(const std::string& path);
  ~AccountStore();
  AccountStore(const AccountStore&) = delete;
  AccountStore& operator=(const AccountStore&) = delete;

  // Returns the new account's user number (1 for the first account; numbers
  // are never reused). Throws DuplicateLoginIdError for a taken login ID.
  int AddAccount(const NewAccount& account);

  std::optional<Account> FindByLoginId(std::string_view login_id);

  // The open database, for tables that later features add beside accounts.
  sqlite3* Database() { return db_; }

 private:
  void CreateSchema();

  sqlite3* db_ = nullptr;
};

}  // namespace posyvaled
