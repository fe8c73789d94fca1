#include "client_connection.h"

#include "game_server.h"

namespace posyvaled {

ClientConnection::ClientConnection(GameServer& server, asio::ip::tcp::socket socket,
                                   int connection_id)
    : server_(server), socket_(std::move(socket)), connection_id_(connection_id) {
  asio::error_code error;
  auto peer = socket_.remote_endpoint(error);
  peer_text_ = error ? "unknown peer" : peer.address().to_string() + ":" + std::to_string(peer.port());
}

void ClientConnection::Start() { ReadSome(); }

void ClientConnection::ReadSome() {
  socket_.async_read_some(asio::buffer(read_buffer_),
                          [self = shared_from_this()](const asio::error_code& error,
                                                      std::size_t size) {
                            self->OnRead(error, size);
                          });
}

void ClientConnection::OnRead(const asio::error_code& error, std::size_t size) {
  if (closed_) return;
  if (error) {
    Close(error == asio::error::eof ? "closed by the client" : "read failed");
    return;
  }
  std::vector<std::string> bodies;
  bool well_formed = decoder_.Feed(std::string_view(read_buffer_.data(), size), bodies);
  for (const std::string& body : bodies) {
    server_.HandleRequest(*this, body);
    if (closed_) return;
  }
  if (!well_formed) {
    Close("malformed frame prefix");
    return;
  }
  ReadSome();
}

void ClientConnection::Send(std::string_view body) {
  if (closed_) return;
  write_queue_.push_back(EncodeFrame(body));
  if (write_queue_.size() == 1) WriteNext();
}

void ClientConnection::WriteNext() {
  asio::async_write(socket_, asio::buffer(write_queue_.front()),
                    [self = shared_from_this()](const asio::error_code& error, std::size_t) {
                      self->OnWritten(error);
                    });
}

void ClientConnection::OnWritten(const asio::error_code& error) {
  if (closed_) return;
  if (error) {
    Close("write failed");
    return;
  }
  write_queue_.pop_front();
  if (!write_queue_.empty()) WriteNext();
}

void ClientConnection::Close(const char* reason) {
  if (closed_) return;
  Abandon();
  server_.OnConnectionClosed(*this, reason);
}

void ClientConnection::Abandon() {
  closed_ = true;
  asio::error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
}

}  // namespace posyvaled
