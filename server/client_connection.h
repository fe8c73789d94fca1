#pragma once

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include <asio.hpp>

#include "frame_codec.h"

namespace posyvaled {

class GameServer;

// One client's TCP connection: reads frames, hands each message body to the
// server, and writes queued frames one after the other so they never
// interleave. Lives as long as an operation on it is pending.
class ClientConnection : public std::enable_shared_from_this<ClientConnection> {
 public:
  ClientConnection(GameServer& server, asio::ip::tcp::socket socket, int connection_id);

  void Start();
  // Queues one message body for sending.
  void Send(std::string_view body);
  // Closes the socket and tells the server, once.
  void Close(const char* reason);
  // Closes the socket without telling the server (the server is stopping).
  void Abandon();

  int Id() const { return connection_id_; }
  const std::string& PeerText() const { return peer_text_; }

  // The user number after a successful login on this connection.
  std::optional<int> logged_in_user;

 private:
  void ReadSome();
  void OnRead(const asio::error_code& error, std::size_t size);
  void WriteNext();
  void OnWritten(const asio::error_code& error);

  GameServer& server_;
  asio::ip::tcp::socket socket_;
  int connection_id_;
  std::string peer_text_;
  std::array<char, 1024> read_buffer_{};
  FrameDecoder decoder_;
  std::deque<std::string> write_queue_;
  bool closed_ = false;
};

}  // namespace posyvaled
