// IPv4 TCP stream sockets on POSIX.
#include "client/platform/net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// Polls one socket for the given events; the revents, or 0 on time-out or
// failure. An interrupted wait is resumed with the full time-out again,
// which can only lengthen a wait that a signal cut short.
short PollSocket(SocketHandle socket, short events, int timeout_ms) {
  pollfd entry{socket, events, 0};
  int ready;
  do {
    ready = poll(&entry, 1, timeout_ms);
  } while (ready < 0 && errno == EINTR);
  return ready > 0 ? entry.revents : 0;
}

bool SetBlocking(SocketHandle socket, bool blocking) {
  int flags = fcntl(socket, F_GETFL, 0);
  if (flags < 0) return false;
  flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return fcntl(socket, F_SETFL, flags) == 0;
}

// Waits for a connect started on a non-blocking socket and reports whether
// it succeeded.
bool FinishConnect(SocketHandle socket, int timeout_ms) {
  if ((PollSocket(socket, POLLOUT, timeout_ms) & (POLLOUT | POLLERR | POLLHUP)) == 0) {
    return false;  // timed out
  }
  int error = 0;
  socklen_t size = sizeof error;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return false;
  return error == 0;
}

}  // namespace

SocketHandle TcpSocketCreate() {
  return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
}

bool ParseDottedIpv4(const char* host, std::uint32_t* address) {
  in_addr parsed{};
  if (host == nullptr || inet_aton(host, &parsed) == 0) return false;
  *address = parsed.s_addr;
  return true;
}

bool ResolveIpv4(const char* host, std::uint32_t* address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host == nullptr || getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
    return false;
  }
  *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return true;
}

bool TcpConnect(SocketHandle socket, std::uint32_t address, int port, int timeout_ms) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<std::uint16_t>(port));
  target.sin_addr.s_addr = address;

  // Connect without blocking so the wait can be bounded, then hand the
  // socket back in blocking mode as the caller expects.
  if (!SetBlocking(socket, false)) return false;
  bool connected =
      connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
  if (!connected && (errno == EINPROGRESS || errno == EINTR)) {
    connected = FinishConnect(socket, timeout_ms);
  }
  return SetBlocking(socket, true) && connected;
}

bool TcpSetNonBlocking(SocketHandle socket) { return SetBlocking(socket, false); }

long TcpSend(SocketHandle socket, const char* data, std::size_t length) {
  if (length == 0) return 0;
  ssize_t sent;
  do {
    // MSG_NOSIGNAL: a peer that is gone gives EPIPE instead of SIGPIPE.
    sent = send(socket, data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (sent < 0 && errno == EINTR);
  if (sent >= 0) return static_cast<long>(sent);
  return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
}

bool TcpWaitWritable(SocketHandle socket, int timeout_ms) {
  return (PollSocket(socket, POLLOUT, timeout_ms) & POLLOUT) != 0;
}

long TcpRecv(SocketHandle socket, char* buffer, std::size_t capacity) {
  if (capacity == 0) return -1;
  ssize_t received;
  do {
    received = recv(socket, buffer, capacity, MSG_DONTWAIT);
  } while (received < 0 && errno == EINTR);
  return received < 0 ? -1 : static_cast<long>(received);
}

void TcpShutdown(SocketHandle socket) { shutdown(socket, SHUT_RDWR); }

void TcpClose(SocketHandle socket) {
  if (socket != kNoSocket) close(socket);
}

}  // namespace platform
