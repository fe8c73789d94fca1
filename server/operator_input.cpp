#include "operator_input.h"

#include <unistd.h>

#include "game_server.h"
#include "text_encoding.h"
#include "world_messages.h"

namespace posyvaled {
namespace {

// A longer line is no ticker text; reading stops there.
constexpr std::size_t kMaxLineBytes = 4096;

}  // namespace

OperatorInput::OperatorInput(asio::io_context& io, int descriptor, GameServer& server,
                             std::ostream& log)
    : input_(io, ::dup(descriptor)), server_(server), log_(log) {}

void OperatorInput::Start() { ReadLine(); }

void OperatorInput::Stop() {
  asio::error_code ignored;
  input_.close(ignored);
}

void OperatorInput::ReadLine() {
  asio::async_read_until(input_, asio::dynamic_buffer(buffer_, kMaxLineBytes), '\n',
                         [this](const asio::error_code& error, std::size_t size) {
                           OnLine(error, size);
                         });
}

void OperatorInput::OnLine(const asio::error_code& error, std::size_t size) {
  if (error) {
    if (error != asio::error::operation_aborted) log_ << "operator input ended" << std::endl;
    return;
  }
  std::string line = buffer_.substr(0, size - 1);
  buffer_.erase(0, size);
  if (line.ends_with('\r')) line.pop_back();
  std::optional<std::string> text = Utf8ToCp932(line);
  if (!text) {
    log_ << "ticker refused: the line cannot be written in CP932" << std::endl;
  } else if (text->size() > kMaxTickerBytes) {
    log_ << "ticker refused: " << text->size() << " bytes in CP932, at most " << kMaxTickerBytes
         << std::endl;
  } else {
    server_.SendTickerToAll(*text);
  }
  ReadLine();
}

}  // namespace posyvaled
