#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <asio.hpp>

#include "frame_codec.h"

namespace posyvaled {

class GameServer;

// What one connection may do before the server drops it.
struct ConnectionLimits {
  // No request at all for this long ends the connection. The client sends
  // "keepAlive" after 15 s of silence, so a live client never comes close.
  std::chrono::milliseconds idle_timeout{60000};
  // Requests are paid from a bucket that holds `request_burst` and refills
  // at `requests_per_second`; a request finding it empty ends the
  // connection. A person walking with auto-repeat sends about 30 a second.
  double requests_per_second = 200;
  double request_burst = 400;
  // Malformed, unknown or forged requests a connection may send in all;
  // the next one ends it.
  int faulty_requests = 10;
  // Bytes queued for a client that does not read; more ends the connection
  // instead of buffering without end.
  std::size_t queued_output_bytes = 256 * 1024;
  // The socket's own send buffer, fixed so that the system does not grow it
  // to megabytes for a client that does not read (the system doubles it).
  int socket_send_buffer_bytes = 64 * 1024;
};

// One client's TCP connection: reads frames, hands each message body to the
// server, and writes the queued frames in batches so they never interleave.
// Lives as long as an operation on it is pending.
class ClientConnection : public std::enable_shared_from_this<ClientConnection> {
 public:
  ClientConnection(GameServer& server, asio::ip::tcp::socket socket, int connection_id,
                   const ConnectionLimits& limits);

  void Start();
  // Queues one message body for sending. When the queue outgrows its limit
  // the connection is closed soon after, never inside this call, so callers
  // may send while walking the list of connections.
  void Send(std::string_view body);
  // Runs `done` once every frame queued so far has been handed to the
  // system; never when the connection closes first.
  void WhenWritten(std::function<void()> done);
  // Closes the socket and tells the server, once.
  void Close(const char* reason);
  // Closes the socket without telling the server (the server is stopping).
  void Abandon();
  // Counts a request the server refused as faulty; closes the connection
  // when there have been too many.
  void CountFaultyRequest();

  int Id() const { return connection_id_; }
  const std::string& PeerText() const { return peer_text_; }
  bool IsClosed() const { return closed_; }

  // The user number after a successful login on this connection.
  std::optional<int> logged_in_user;

 private:
  void ReadSome();
  void OnRead(const asio::error_code& error, std::size_t size);
  // Takes one request from the rate bucket; false when it is empty.
  bool PayForRequest();
  void WriteQueued();
  void OnWritten(const asio::error_code& error);
  void WatchIdleTime(std::chrono::steady_clock::time_point deadline);

  GameServer& server_;
  asio::ip::tcp::socket socket_;
  int connection_id_;
  const ConnectionLimits& limits_;
  std::string peer_text_;
  std::array<char, 4096> read_buffer_{};
  FrameDecoder decoder_;
  // Frames waiting to be written, and the batch being written now.
  std::string queued_output_;
  std::string output_in_flight_;
  bool overflowing_ = false;
  // What to run after the queued frames and after the batch in flight.
  std::vector<std::function<void()>> after_queued_;
  std::vector<std::function<void()>> after_in_flight_;
  asio::steady_timer idle_timer_;
  std::chrono::steady_clock::time_point last_request_;
  double request_tokens_;
  std::chrono::steady_clock::time_point last_refill_;
  int faulty_requests_ = 0;
  bool closed_ = false;
};

}  // namespace posyvaled
