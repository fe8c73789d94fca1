#pragma once

#include <ostream>
#include <string>

#include <asio.hpp>

namespace posyvaled {

class GameServer;

// The operator's console: reads lines (UTF-8) from a descriptor, usually
// standard input, and sends each to every logged-in user as a ticker text.
// An empty line sends an empty ticker, which clears the one shown. Lines
// that cannot be written in CP932 or are longer than a ticker holds are
// refused with a log line. Reading stops at the end of the input.
class OperatorInput {
 public:
  // Takes a duplicate of `descriptor`, so the original stays open.
  OperatorInput(asio::io_context& io, int descriptor, GameServer& server, std::ostream& log);

  void Start();
  // Ends reading. The pending read still completes (as cancelled), so the
  // object must live until the io_context has run that handler.
  void Stop();

 private:
  void ReadLine();
  void OnLine(const asio::error_code& error, std::size_t size);

  asio::posix::stream_descriptor input_;
  GameServer& server_;
  std::ostream& log_;
  std::string buffer_;
};

}  // namespace posyvaled
