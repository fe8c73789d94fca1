#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// One item a user owns. Item ids are positive numbers, unique over every
// item ever made, so a present on the scene can be named by the negative of
// its item id.
struct Item {
  int item_id = 0;
  std::string item_code;
};

// What "q" shows of a user. An empty profile text means none was stored.
struct Profile {
  std::string handle_name;
  std::string profile_text;
  int points = 0;
  int health = 0;
};

// A postcard as it is handed in.
struct NewPostcard {
  int sender = 0;
  int recipient = 0;
  std::string subject;
  std::string message;
  long long sent_at = 0;  // seconds since the epoch
};

// A postcard waiting for its recipient, with its sender's handle name.
struct Postcard {
  int card_id = 0;
  int sender = 0;
  std::string sender_handle_name;
  std::string subject;
  std::string message;
  long long sent_at = 0;
};

// An item lying on the scene as a present.
struct Present {
  Item item;
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

  // Where the user stands; the next login starts there.
  void SavePosition(int user_number, int x, int y, int map);
  void SaveAppearance(int user_number, int appearance);

  // The profile of a user with a character; empty for any other number.
  std::optional<Profile> FindProfile(int user_number);
  // Each returns false when no account has that user number.
  bool SaveProfileText(int user_number, std::string_view text);
  bool SavePoints(int user_number, int points);
  bool SaveHealth(int user_number, int health);

  // Gives the user a new item and returns its item id.
  int AddItem(int user_number, std::string_view item_code);
  // The user's items, oldest first.
  std::vector<Item> Inventory(int user_number);
  std::optional<Item> FindOwnedItem(int user_number, int item_id);

  // Takes the item out of the user's inventory; false when the user does not
  // own it.
  bool RemoveItem(int user_number, int item_id);
  // Takes the item out of the inventory and adds `price` to the user's
  // points (which stop at the largest int), in one step; false when the
  // user does not own it.
  bool SellItem(int user_number, int item_id, int price);
  // Adds `amount` to the user's health, which stops at `ceiling`.
  void RaiseHealth(int user_number, int amount, int ceiling);

  // Moves an item of the user's inventory onto the scene. Empty when the
  // user does not own an item with that id.
  std::optional<Present> PlacePresent(int user_number, int item_id, int x, int y, int map);
  // Moves a present into the user's inventory. Empty when no present has
  // that item id (someone else picked it up first).
  std::optional<Item> PickUpPresent(int user_number, int item_id);
  // Every present on the scene, by item id.
  std::vector<Present> Presents();

  // Stores a card for its recipient and returns its card id.
  int AddPostcard(const NewPostcard& card);
  // Cards not yet delivered to the user.
  int WaitingPostcardCount(int recipient);
  // The cards not yet delivered to the user, oldest first.
  std::vector<Postcard> WaitingPostcards(int recipient);
  void MarkPostcardDelivered(int card_id);

  // The open database, for tables that later features add beside accounts.
  sqlite3* Database() { return db_; }

 private:
  void CreateSchema();

  sqlite3* db_ = nullptr;
};

}  // namespace posyvaled
