// A real FTP server (pyftpdlib) on 127.0.0.N, port 21, serving a fresh
// temporary folder to anonymous users; started by the constructor and
// stopped and removed by the destructor. Binding port 21 needs root.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

class FtpServer {
 public:
  enum class Mode {
    Normal,
    RefuseActive,       // PORT and EPRT are refused
    UnreachableActive,  // PORT is accepted but the server cannot connect back (as behind NAT)
    TruncateTransfers,  // downloads end normally after the first half of the file
  };

  explicit FtpServer(int host_octet, Mode mode = Mode::Normal);
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  std::string Address() const;  // "127.0.0.N"

  // Puts a file at path ("pub/17.exe") under the served folder.
  void AddFile(const std::string& path, const std::string& content);
  // Makes the listing show `size` for entries called `name`, whatever the
  // file holds.
  void ListSizeAs(const std::string& name, std::uint64_t size);

  // The commands the server received so far, in order ("USER", "PORT", ...).
  std::vector<std::string> Commands() const;

 private:
  int host_octet_;
  std::string folder_;
  pid_t pid_ = -1;
};

}  // namespace testsupport
