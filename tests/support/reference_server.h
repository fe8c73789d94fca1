#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// A posyvaled process on 127.0.0.<host_octet>, port 40000, with a fresh
// database in its own temporary folder; stopped and cleaned up on destruction.
class ReferenceServer {
 public:
  explicit ReferenceServer(int host_octet, int newest_version = 16);
  ~ReferenceServer();
  ReferenceServer(const ReferenceServer&) = delete;
  ReferenceServer& operator=(const ReferenceServer&) = delete;
  // Adds an account through the command line (handle in UTF-8). Returns its
  // user number. The account gets the server's starter items (appearance
  // items 1, 2, 5, 6 and ordinary items i0, i1, i2) unless told otherwise.
  int AddAccount(const std::string& login, const std::string& password, const std::string& handle,
                 int appearance, int x, int y, int map, bool starter_items = true);
  int AddAccountWithoutCharacter(const std::string& login, const std::string& password);
  // Gives the user an item ("7", "i3"); returns its item id.
  int AddItem(int user_number, const std::string& item_code);
  // The profile text in UTF-8 (at most 100 bytes in CP932, no comma); a new
  // account has none, 500 points and the health 10000.
  void SetProfile(int user_number, const std::string& text);
  void SetPoints(int user_number, int points);
  void SetHealth(int user_number, int health);
  std::string Address() const;  // "127.0.0.N"
  void Start();  // the constructor starts it; Start() after Stop() restarts on the same database
  void Stop();   // SIGTERM and wait

 private:
  // Runs a command of the server program on this server's database and
  // returns the number it prints (0 when it prints none), -1 on failure.
  int RunCommand(const std::vector<std::string>& command);
  std::string ServerLog() const;

  int host_octet_;
  int newest_version_;
  std::string folder_;
  pid_t pid_ = -1;
};

}  // namespace testsupport
