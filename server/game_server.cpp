#include "game_server.h"

#include "client_connection.h"
#include "password_hash.h"
#include "wire_fields.h"

namespace posyvaled {
namespace {

std::string FormatLoginResponse(const Account& account, const std::string& newest_version) {
  return "l" + std::to_string(account.user_number) + "," + std::to_string(account.appearance) +
         "," + *account.handle_name + "," + newest_version + "," + std::to_string(account.x) +
         "," + std::to_string(account.y) + "," + std::to_string(account.map);
}

}  // namespace

GameServer::GameServer(asio::io_context& io, AccountStore& store, ServerOptions options,
                       std::ostream& log)
    : store_(store),
      options_(std::move(options)),
      log_(log),
      acceptor_(io, asio::ip::tcp::endpoint(asio::ip::make_address_v4(options_.address),
                                            options_.port)) {
  log_ << "listening on " << options_.address << ":" << options_.port << std::endl;
  Accept();
}

GameServer::~GameServer() { Stop(); }

void GameServer::Stop() {
  asio::error_code ignored;
  acceptor_.close(ignored);
  for (const auto& connection : connections_) connection->Abandon();
  connections_.clear();
  logged_in_.clear();
}

void GameServer::Accept() {
  acceptor_.async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
    if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (!error) {
      auto connection =
          std::make_shared<ClientConnection>(*this, std::move(socket), next_connection_id_++);
      connections_.insert(connection);
      log_ << "#" << connection->Id() << " connected from " << connection->PeerText() << std::endl;
      connection->Start();
    } else {
      log_ << "accept failed: " << error.message() << std::endl;
    }
    Accept();
  });
}

void GameServer::HandleRequest(ClientConnection& connection, std::string_view body) {
  try {
    DispatchRequest(connection, body);
  } catch (const std::exception& error) {
    // A failing request (say, a database error) costs its own connection
    // only; the other clients go on.
    log_ << "#" << connection.Id() << " request failed: " << error.what() << std::endl;
    connection.Close("request failed");
  }
}

void GameServer::DispatchRequest(ClientConnection& connection, std::string_view body) {
  if (body.empty()) return;
  if (!connection.logged_in_user) {
    // Before login only the login request counts.
    if (body.front() == 'l') HandleLoginRequest(connection, body.substr(1));
    return;
  }
  // After login: "keepAlive", a repeated login and unknown requests are
  // all ignored; world requests will be dispatched here by their letter.
}

void GameServer::HandleLoginRequest(ClientConnection& connection, std::string_view fields_text) {
  std::vector<std::string> fields = SplitFields(fields_text);
  std::string login_id = fields.size() > 0 ? fields[0] : std::string();
  std::optional<Account> account;
  if (!login_id.empty()) account = store_.FindByLoginId(login_id);
  if (!account) return RefuseLogin(connection, login_id, LoginError::kUnknownLoginId);
  if (fields.size() < 2 || !VerifyPassword(fields[1], account->password_hash)) {
    return RefuseLogin(connection, login_id, LoginError::kWrongPassword);
  }
  if (!account->handle_name) return RefuseLogin(connection, login_id, LoginError::kNoCharacter);
  if (logged_in_.count(account->user_number) != 0) {
    return RefuseLogin(connection, login_id, LoginError::kAlreadyLoggedIn);
  }
  logged_in_[account->user_number] = &connection;
  connection.logged_in_user = account->user_number;
  log_ << "#" << connection.Id() << " logged in as user " << account->user_number << std::endl;
  connection.Send(FormatLoginResponse(*account, options_.newest_version));
}

void GameServer::RefuseLogin(ClientConnection& connection, std::string_view login_id,
                             LoginError error) {
  int code = static_cast<int>(error);
  log_ << "#" << connection.Id() << " login refused (" << code << ") for login ID \"" << login_id
       << "\"" << std::endl;
  connection.Send("l" + std::to_string(code));
}

void GameServer::OnConnectionClosed(ClientConnection& connection, const char* reason) {
  if (connection.logged_in_user) logged_in_.erase(*connection.logged_in_user);
  log_ << "#" << connection.Id() << " disconnected: " << reason << std::endl;
  // Dropping the server's reference last: pending handlers keep it alive.
  auto self = connection.shared_from_this();
  connections_.erase(self);
}

}  // namespace posyvaled
