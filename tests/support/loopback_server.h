// The server end of the client's connection, on 127.0.0.1: the client is
// connected with ConnectServer, and the test reads the requests it sends.
#pragma once
#include <string>

namespace testsupport {

class LoopbackServer {
 public:
  LoopbackServer();  // connects the client (ConnectServer) to it
  ~LoopbackServer();  // closes both ends
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // The body of the next request, or "" when none comes within timeout_ms.
  std::string NextRequest(int timeout_ms = 2000);
  // Writes a framed message to the client.
  void Send(const std::string& body);

 private:
  int listener_ = -1;
  int peer_ = -1;
};

}  // namespace testsupport
