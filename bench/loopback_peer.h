// A stand-in game server on a loopback address for the main-loop
// benchmarks: it accepts the client's connection and then either stays
// silent or floods it with framed "m" messages as fast as the socket takes
// them.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

namespace bench {

// Every flooded frame: "11" then a 15-byte move body "m<id>,<x>,<y>,<map>"
// whose numbers all have a fixed width, so the byte count the client has
// taken converts exactly into a message count.
inline constexpr int kMoveFrameLength = 17;

class LoopbackPeer {
 public:
  LoopbackPeer();
  ~LoopbackPeer();
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  // False when no listening socket could be opened; error() tells why.
  bool listening() const { return listener_ >= 0; }
  const std::string& error() const { return error_; }
  int port() const { return port_; }

  // Takes the connection the client has opened (connect completes on the
  // listen backlog, so this runs after ConnectServer returned) and finds
  // the client's own descriptor of it. False on failure.
  bool AcceptClient();

  // Starts writing move frames on a thread until Stop() or until the client
  // closes its side. With a backlog_limit the writer keeps the bytes on
  // their way to the client (unsent, in flight, or waiting unread in the
  // client's socket) at most that many; with 0 it writes whenever the
  // socket takes more.
  void StartFlood(std::size_t backlog_limit);
  void Stop();

  // Bytes written but not yet handed to the network: the flood waits on the
  // client's receive window.
  long UnsentBytes() const;

  // Processor time of the writer thread so far, to be kept apart from the
  // client's own.
  double WriterCpuSeconds();

  // The bytes the client program has read from its socket so far: what its
  // TCP stack received minus what still waits in its receive queue. Read
  // from the client's descriptor, so the client needs no counting hook.
  std::uint64_t ClientBytesConsumed() const;

 private:
  void Flood(std::size_t backlog_limit);
  long Backlog() const;

  int listener_ = -1;
  int connection_ = -1;
  int client_socket_ = -1;
  int port_ = 0;
  std::string error_;
  std::atomic<bool> stopping_{false};
  std::thread writer_;
};

}  // namespace bench
