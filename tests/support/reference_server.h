#pragma once

#include <sys/types.h>

#include <string>

namespace testsupport {

// A posyvaled process on 127.0.0.<host_octet>, port 40000, with a fresh
// database in its own temporary folder; stopped and cleaned up on destruction.
class ReferenceServer {
 public:
  explicit ReferenceServer(int host_octet, int newest_version = 16);
  ~ReferenceServer();
  ReferenceServer(const ReferenceServer&) = delete;
  ReferenceServer& operator=(const ReferenceServer&) = delete;
  // Adds an account through the command line (handle in UTF-8). Returns its user number.
  int AddAccount(const std::string& login, const std::string& password, const std::string& handle,
                 int appearance, int x, int y, int map);
  int AddAccountWithoutCharacter(const std::string& login, const std::string& password);
  std::string Address() const;  // "127.0.0.N"
  void Start();  // the constructor starts it; Start() after Stop() restarts on the same database
  void Stop();   // SIGTERM and wait

 private:
  int RunAddAccount(const std::string& login, const std::string& password,
                    const std::string* handle, int appearance, int x, int y, int map);
  std::string ServerLog() const;

  int host_octet_;
  int newest_version_;
  std::string folder_;
  pid_t pid_ = -1;
};

}  // namespace testsupport
