#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "client/session/connection.h"

namespace testsupport {
namespace {

bool ReadExactly(int fd, char* buffer, std::size_t length, int timeout_ms) {
  std::size_t got = 0;
  while (got < length) {
    pollfd wait = {fd, POLLIN, 0};
    if (poll(&wait, 1, timeout_ms) <= 0) return false;
    const ssize_t n = read(fd, buffer + got, length - got);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

LoopbackServer::LoopbackServer() {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener_, 1) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("cannot listen on loopback");
  }
  if (ConnectServer("127.0.0.1", ntohs(address.sin_port)) != 0) throw std::runtime_error("cannot connect");
  peer_ = accept(listener_, nullptr, nullptr);
}

LoopbackServer::~LoopbackServer() {
  CloseConnection();
  close(peer_);
  close(listener_);
}

std::string LoopbackServer::NextRequest(int timeout_ms) {
  char prefix[3] = {};
  if (!ReadExactly(peer_, prefix, 2, timeout_ms)) return {};
  const std::size_t length = std::strtoul(prefix, nullptr, 16);
  std::string body(length >= 2 ? length - 2 : 0, '\0');
  if (!body.empty() && !ReadExactly(peer_, body.data(), body.size(), timeout_ms)) return {};
  return body;
}

void LoopbackServer::Send(const std::string& body) {
  char frame[300];
  const int n = std::snprintf(frame, sizeof frame, "%02x%s", static_cast<unsigned>(body.size() + 2), body.c_str());
  (void)!write(peer_, frame, static_cast<std::size_t>(n));
}

}  // namespace testsupport
