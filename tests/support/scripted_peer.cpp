#include "tests/support/scripted_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {
namespace {

// Reads exactly `length` bytes unless the stop pipe fires or the peer closes.
bool ReadExactly(int fd, int stop_fd, char* buffer, std::size_t length) {
  std::size_t got = 0;
  while (got < length) {
    pollfd waits[2] = {{fd, POLLIN, 0}, {stop_fd, POLLIN, 0}};
    if (poll(waits, 2, 20000) <= 0 || (waits[1].revents & POLLIN)) return false;
    const ssize_t n = read(fd, buffer + got, length - got);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

ScriptedPeer::ScriptedPeer(int host_octet, std::string answer_body, bool silent)
    : host_octet_(host_octet), answer_(std::move(answer_body)), silent_(silent) {
  if (pipe(stop_pipe_) != 0) throw std::runtime_error("pipe");
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  const int yes = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(40000);
  inet_pton(AF_INET, Address().c_str(), &address.sin_addr);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 4) != 0) {
    throw std::runtime_error("cannot listen on " + Address());
  }
  thread_ = std::thread([this] { Serve(); });
}

ScriptedPeer::~ScriptedPeer() {
  (void)!write(stop_pipe_[1], "x", 1);
  if (thread_.joinable()) thread_.join();
  close(listener_);
  close(stop_pipe_[0]);
  close(stop_pipe_[1]);
}

std::string ScriptedPeer::Address() const { return "127.0.0." + std::to_string(host_octet_); }

std::string ScriptedPeer::Received() {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

void ScriptedPeer::Serve() {
  pollfd waits[2] = {{listener_, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
  if (poll(waits, 2, 20000) <= 0 || (waits[1].revents & POLLIN)) return;
  const int fd = accept(listener_, nullptr, nullptr);
  if (fd < 0) return;
  char prefix[3] = {};
  char body[256] = {};
  if (ReadExactly(fd, stop_pipe_[0], prefix, 2)) {
    const std::size_t length = std::strtoul(prefix, nullptr, 16);
    if (length >= 2 && ReadExactly(fd, stop_pipe_[0], body, length - 2)) {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.assign(body, length - 2);
    }
  }
  if (!silent_) {
    char frame[300];
    const int n = std::snprintf(frame, sizeof frame, "%02x%s", static_cast<unsigned>(answer_.size() + 2),
                                answer_.c_str());
    (void)!write(fd, frame, static_cast<std::size_t>(n));
  }
  // Keep the connection open until the test ends, as a live server would.
  pollfd stop = {stop_pipe_[0], POLLIN, 0};
  poll(&stop, 1, silent_ ? 60000 : 20000);
  close(fd);
}

}  // namespace testsupport
