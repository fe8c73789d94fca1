#include "client_connection.h"

#include <algorithm>

#include "game_server.h"

namespace posyvaled {

using Clock = std::chrono::steady_clock;

ClientConnection::ClientConnection(GameServer& server, asio::ip::tcp::socket socket,
                                   int connection_id, const ConnectionLimits& limits)
    : server_(server),
      socket_(std::move(socket)),
      connection_id_(connection_id),
      limits_(limits),
      idle_timer_(socket_.get_executor()),
      last_request_(Clock::now()),
      request_tokens_(limits.request_burst),
      last_refill_(last_request_) {
  asio::error_code error;
  auto peer = socket_.remote_endpoint(error);
  peer_text_ = error ? "unknown peer" : peer.address().to_string() + ":" + std::to_string(peer.port());
  // Moves are small and must not wait for more to fill a segment.
  socket_.set_option(asio::ip::tcp::no_delay(true), error);
  socket_.set_option(asio::socket_base::send_buffer_size(limits_.socket_send_buffer_bytes), error);
}

void ClientConnection::Start() {
  WatchIdleTime(last_request_ + limits_.idle_timeout);
  ReadSome();
}

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
    if (!PayForRequest()) {
      Close("more requests than allowed per second");
      return;
    }
    server_.HandleRequest(*this, body);
    if (closed_) return;
  }
  if (!well_formed) {
    Close("malformed frame prefix");
    return;
  }
  ReadSome();
}

bool ClientConnection::PayForRequest() {
  Clock::time_point now = Clock::now();
  last_request_ = now;
  std::chrono::duration<double> elapsed = now - last_refill_;
  last_refill_ = now;
  request_tokens_ = std::min(limits_.request_burst,
                             request_tokens_ + elapsed.count() * limits_.requests_per_second);
  if (request_tokens_ < 1) return false;
  request_tokens_ -= 1;
  return true;
}

void ClientConnection::CountFaultyRequest() {
  if (++faulty_requests_ > limits_.faulty_requests) Close("too many faulty requests");
}

void ClientConnection::WatchIdleTime(Clock::time_point deadline) {
  idle_timer_.expires_at(deadline);
  idle_timer_.async_wait([self = shared_from_this()](const asio::error_code& error) {
    if (error || self->closed_) return;
    // Requests do not touch the timer; it looks at the last one when it
    // fires and waits again for the rest of the time.
    Clock::time_point due = self->last_request_ + self->limits_.idle_timeout;
    if (Clock::now() >= due) {
      self->Close("no request within the idle time");
    } else {
      self->WatchIdleTime(due);
    }
  });
}

void ClientConnection::Send(std::string_view body) {
  if (closed_ || overflowing_) return;
  queued_output_ += EncodeFrame(body);
  if (queued_output_.size() > limits_.queued_output_bytes) {
    overflowing_ = true;
    asio::post(socket_.get_executor(), [self = shared_from_this()] {
      self->Close("the client does not read what it is sent");
    });
    return;
  }
  if (output_in_flight_.empty()) WriteQueued();
}

void ClientConnection::WhenWritten(std::function<void()> done) {
  if (closed_) return;
  if (!queued_output_.empty()) {
    after_queued_.push_back(std::move(done));
  } else if (!output_in_flight_.empty()) {
    after_in_flight_.push_back(std::move(done));
  } else {
    asio::post(socket_.get_executor(), [self = shared_from_this(), done = std::move(done)] {
      if (!self->closed_) done();
    });
  }
}

void ClientConnection::WriteQueued() {
  output_in_flight_.swap(queued_output_);
  after_in_flight_.swap(after_queued_);
  asio::async_write(socket_, asio::buffer(output_in_flight_),
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
  output_in_flight_.clear();
  std::vector<std::function<void()>> done;
  done.swap(after_in_flight_);
  if (!queued_output_.empty()) WriteQueued();
  for (const auto& callback : done) callback();
}

void ClientConnection::Close(const char* reason) {
  if (closed_) return;
  Abandon();
  server_.OnConnectionClosed(*this, reason);
}

void ClientConnection::Abandon() {
  closed_ = true;
  asio::error_code ignored;
  idle_timer_.cancel();
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
}

}  // namespace posyvaled
