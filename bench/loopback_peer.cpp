#include "bench/loopback_peer.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace bench {
namespace {

constexpr int kFramesPerChunk = 4096;
// A bounded flood writes one tick's worth of frames at a time.
constexpr std::size_t kBoundedSliceBytes = 64 * kMoveFrameLength;
constexpr useconds_t kBacklogPollMicroseconds = 200;

// A block of move frames for different characters, places and maps.
std::vector<char> MoveFrames() {
  std::vector<char> frames;
  frames.reserve(kFramesPerChunk * kMoveFrameLength);
  for (int i = 0; i < kFramesPerChunk; ++i) {
    char frame[kMoveFrameLength + 1];
    std::snprintf(frame, sizeof frame, "%02xm%03d,%03d,%03d,%02d", kMoveFrameLength, 100 + i % 900,
                  100 + (i * 7) % 500, 100 + (i * 13) % 300, 10 + i % 90);
    frames.insert(frames.end(), frame, frame + kMoveFrameLength);
  }
  return frames;
}

bool SameAddress(const sockaddr_in& a, const sockaddr_in& b) {
  return a.sin_family == b.sin_family && a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

// The bytes the socket's TCP stack has received so far.
bool ReceivedBytes(int socket, std::uint64_t* count) {
  tcp_info info{};
  socklen_t length = sizeof info;
  if (getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return false;
  *count = info.tcpi_bytes_received;
  return true;
}

}  // namespace

LoopbackPeer::LoopbackPeer() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) {
    error_ = std::string("socket: ") + std::strerror(errno);
    return;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // an ephemeral port: runs never collide
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 1) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error_ = std::string("listen: ") + std::strerror(errno);
    close(listener_);
    listener_ = -1;
    return;
  }
  port_ = ntohs(address.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
  Stop();
  if (connection_ >= 0) close(connection_);
  if (listener_ >= 0) close(listener_);
}

bool LoopbackPeer::AcceptClient() {
  connection_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection_ < 0) {
    error_ = std::string("accept: ") + std::strerror(errno);
    return false;
  }
  // The client's end is the descriptor of this process whose local address
  // is the peer address of the accepted connection.
  sockaddr_in client_end{};
  socklen_t length = sizeof client_end;
  if (getpeername(connection_, reinterpret_cast<sockaddr*>(&client_end), &length) != 0) {
    error_ = std::string("getpeername: ") + std::strerror(errno);
    return false;
  }
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  for (int fd = 0; fd < static_cast<int>(limit.rlim_cur); ++fd) {
    sockaddr_in local{};
    socklen_t local_length = sizeof local;
    if (fd == connection_ || getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_length) != 0) continue;
    if (local_length == sizeof local && SameAddress(local, client_end)) {
      client_socket_ = fd;
      return true;
    }
  }
  error_ = "the client's socket was not found";
  return false;
}

void LoopbackPeer::StartFlood(std::size_t backlog_limit) {
  stopping_ = false;
  writer_ = std::thread([this, backlog_limit] { Flood(backlog_limit); });
}

void LoopbackPeer::Stop() {
  stopping_ = true;
  // A writer blocked on a full socket wakes up once the client closes its
  // end; the caller does that before stopping.
  if (writer_.joinable()) writer_.join();
}

void LoopbackPeer::Flood(std::size_t backlog_limit) {
  const std::vector<char> frames = MoveFrames();
  const std::size_t slice = backlog_limit > 0 ? kBoundedSliceBytes : frames.size();
  std::size_t offset = 0;
  while (!stopping_) {
    if (backlog_limit > 0 && static_cast<std::size_t>(Backlog()) + slice > backlog_limit) {
      usleep(kBacklogPollMicroseconds);
      continue;
    }
    const std::size_t length = std::min(slice, frames.size() - offset);
    const ssize_t sent = send(connection_, frames.data() + offset, length, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return;  // the client has closed its end
    }
    offset = (offset + static_cast<std::size_t>(sent)) % frames.size();
  }
}

long LoopbackPeer::Backlog() const {
  int outgoing = 0;
  int waiting = 0;
  ioctl(connection_, SIOCOUTQ, &outgoing);
  ioctl(client_socket_, FIONREAD, &waiting);
  return static_cast<long>(outgoing) + waiting;
}

long LoopbackPeer::UnsentBytes() const {
  int unsent = 0;
  if (ioctl(connection_, SIOCOUTQNSD, &unsent) != 0) return 0;
  return unsent;
}

double LoopbackPeer::WriterCpuSeconds() {
  clockid_t clock = 0;
  timespec used{};
  // The thread's clock is gone once it has ended; it is read while it runs.
  if (!writer_.joinable() || pthread_getcpuclockid(writer_.native_handle(), &clock) != 0 ||
      clock_gettime(clock, &used) != 0) {
    return 0;
  }
  return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

std::uint64_t LoopbackPeer::ClientBytesConsumed() const {
  // The two counts are read in two calls; bytes arriving in between would
  // skew the difference, so the pair is taken again until the received
  // count held still around the queue reading.
  for (;;) {
    std::uint64_t before = 0;
    std::uint64_t after = 0;
    int waiting = 0;
    if (!ReceivedBytes(client_socket_, &before) || ioctl(client_socket_, FIONREAD, &waiting) != 0 ||
        !ReceivedBytes(client_socket_, &after)) {
      return 0;
    }
    if (before == after) return after - static_cast<std::uint64_t>(waiting);
  }
}

}  // namespace bench
