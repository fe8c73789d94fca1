#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <string_view>

#include <asio.hpp>

#include "account_store.h"

namespace posyvaled {

class ClientConnection;

struct ServerOptions {
  std::string address = "127.0.0.1";
  unsigned short port = 40000;
  // Sent verbatim as the newest client version of every successful login.
  std::string newest_version = "16";
};

// Results of a `LoginRequest` that the `LoginResponse` carries instead of a
// user number; they index the client's `LoginErrorTable`.
enum class LoginError : int {
  kUnknownLoginId = -1,
  kWrongPassword = -2,
  kNoCharacter = -5,
  kAlreadyLoggedIn = -6,
};

// Accepts clients on one IPv4 address and serves their requests. Everything
// runs on the thread that runs the io_context.
class GameServer {
 public:
  // Starts listening at once; throws asio::system_error when it cannot.
  GameServer(asio::io_context& io, AccountStore& store, ServerOptions options, std::ostream& log);
  ~GameServer();
  GameServer(const GameServer&) = delete;
  GameServer& operator=(const GameServer&) = delete;

  // Stops accepting and closes every connection; the io_context then runs
  // out of work.
  void Stop();

  void HandleRequest(ClientConnection& connection, std::string_view body);
  void OnConnectionClosed(ClientConnection& connection, const char* reason);

 private:
  void Accept();
  void DispatchRequest(ClientConnection& connection, std::string_view body);
  void HandleLoginRequest(ClientConnection& connection, std::string_view fields_text);
  void RefuseLogin(ClientConnection& connection, std::string_view login_id, LoginError error);

  AccountStore& store_;
  ServerOptions options_;
  std::ostream& log_;
  asio::ip::tcp::acceptor acceptor_;
  int next_connection_id_ = 1;
  std::set<std::shared_ptr<ClientConnection>> connections_;
  // Logged-in user numbers and the connection each one is logged in on.
  std::map<int, ClientConnection*> logged_in_;
};

}  // namespace posyvaled
