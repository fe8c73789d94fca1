#include "game_server.h"

#include "password_hash.h"
#include "wire_fields.h"
#include "world_messages.h"

namespace posyvaled {
namespace {

std::string FormatLoginResponse(const Account& account, const std::string& newest_version) {
  return "l" + std::to_string(account.user_number) + "," + std::to_string(account.appearance) +
         "," + *account.handle_name + "," + newest_version + "," + std::to_string(account.x) +
         "," + std::to_string(account.y) + "," + std::to_string(account.map);
}

bool IsAppearanceItemCode(std::string_view code) { return !code.starts_with('i'); }

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
  for (const auto& [user_number, resident] : residents_) SavePosition(user_number, resident);
  for (const auto& connection : connections_) connection->Abandon();
  connections_.clear();
  residents_.clear();
}

void GameServer::Accept() {
  acceptor_.async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
    if (error == asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (!error) {
      auto connection = std::make_shared<ClientConnection>(*this, std::move(socket),
                                                           next_connection_id_++, options_.limits);
      connections_.insert(connection);
      log_ << "#" << connection->Id() << " connected from " << connection->PeerText() << std::endl;
      connection->Start();
    } else {
      log_ << "accept failed: " << error.message() << std::endl;
    }
    Accept();
  });
}

void GameServer::SendTickerToAll(std::string_view text) {
  std::string message = FormatTicker(text);
  for (const auto& [user_number, resident] : residents_) resident.connection->Send(message);
  log_ << "ticker sent to " << residents_.size() << " users" << std::endl;
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
  if (body.empty() || body == "keepAlive") return;
  if (connection.logged_in_user) {
    return DispatchWorldRequest(connection, *connection.logged_in_user, body);
  }
  // Before login only the login request counts.
  if (body.front() == 'l') return HandleLoginRequest(connection, body.substr(1));
  RefuseFaultyRequest(connection, body, "not logged in");
}

void GameServer::DispatchWorldRequest(ClientConnection& connection, int user_number,
                                      std::string_view body) {
  std::string_view text = body.substr(1);
  switch (body.front()) {
    case 'm':
      return HandleMove(connection, user_number, text);
    case 'c':
      return HandleChat(connection, user_number, text);
    case 'a':
      if (text.starts_with('-')) return HandlePlacePresent(connection, user_number, text.substr(1));
      break;
    case 'd':
      return HandlePickUp(connection, user_number, text);
    case 'e':
      // Selling ("es") comes with the item shop.
      if (text.starts_with('s')) return;
      return HandleUseItem(connection, user_number, text);
    case 'l':  // a repeated login changes nothing
    case 'i':  // inventory, postcards and profiles are served later
    case 'h':
    case 'q':
    case 'u':
      return;
  }
  RefuseFaultyRequest(connection, body, "unknown request");
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
  if (residents_.count(account->user_number) != 0) {
    return RefuseLogin(connection, login_id, LoginError::kAlreadyLoggedIn);
  }
  connection.logged_in_user = account->user_number;
  log_ << "#" << connection.Id() << " logged in as user " << account->user_number << std::endl;
  connection.Send(FormatLoginResponse(*account, options_.newest_version));
  Arrive(connection, *account);
}

void GameServer::RefuseLogin(ClientConnection& connection, std::string_view login_id,
                             LoginError error) {
  int code = static_cast<int>(error);
  log_ << "#" << connection.Id() << " login refused (" << code << ") for login ID \"" << login_id
       << "\"" << std::endl;
  connection.Send("l" + std::to_string(code));
}

void GameServer::Arrive(ClientConnection& connection, const Account& account) {
  // The newcomer learns of everyone there before anyone learns of it, so
  // it never hears of itself.
  for (const auto& [user_number, other] : residents_) {
    connection.Send(FormatArrival(user_number, other.appearance, other.x, other.y, other.map));
  }
  for (const Present& present : store_.Presents()) {
    connection.Send(FormatArrival(-present.item.item_id, kPresentAppearance, present.x, present.y,
                                  present.map));
  }
  Resident resident{&connection, account.appearance, account.x, account.y, account.map};
  residents_[account.user_number] = resident;
  SendToOthers(account.user_number,
               FormatArrival(account.user_number, account.appearance, account.x, account.y,
                             account.map));
  if (options_.welcome_ticker) connection.Send(FormatTicker(*options_.welcome_ticker));
}

void GameServer::Leave(int user_number) {
  auto it = residents_.find(user_number);
  if (it == residents_.end()) return;
  SavePosition(user_number, it->second);
  residents_.erase(it);
  SendToOthers(user_number, FormatDeparture(user_number));
}

void GameServer::SavePosition(int user_number, const Resident& resident) {
  // Positions live in memory while the user walks (a client may send
  // thirty moves a second) and reach the database when the user leaves or
  // the server stops.
  try {
    store_.SavePosition(user_number, resident.x, resident.y, resident.map);
  } catch (const StoreError& error) {
    log_ << "cannot save the position of user " << user_number << ": " << error.what()
         << std::endl;
  }
}

void GameServer::HandleMove(ClientConnection& connection, int user_number, std::string_view text) {
  std::optional<MoveRequest> move = ParseMoveRequest(text);
  if (!move) return RefuseFaultyRequest(connection, text, "malformed move");
  if (move->user_number != user_number) {
    return RefuseFaultyRequest(connection, text, "move of another user");
  }
  Resident& resident = residents_.at(user_number);
  resident.x = move->x;
  resident.y = move->y;
  resident.map = move->map;
  SendToOthers(user_number, FormatMove(user_number, move->x, move->y, move->map));
}

void GameServer::HandleChat(ClientConnection& connection, int user_number, std::string_view text) {
  std::optional<ChatRequest> chat = ParseChatRequest(text);
  if (!chat) return RefuseFaultyRequest(connection, text, "malformed chat line");
  if (chat->user_number != user_number) {
    return RefuseFaultyRequest(connection, text, "chat line of another user");
  }
  SendToOthers(user_number, FormatChat(user_number, chat->text), residents_.at(user_number).map);
}

void GameServer::HandlePlacePresent(ClientConnection& connection, int user_number,
                                    std::string_view text) {
  std::optional<PlacePresentRequest> request = ParsePlacePresentRequest(text);
  if (!request) return RefuseFaultyRequest(connection, text, "malformed present placement");
  std::optional<Present> present =
      store_.PlacePresent(user_number, request->item_id, request->x, request->y, request->map);
  if (!present) {
    log_ << "#" << connection.Id() << " placing item " << request->item_id
         << " refused: user " << user_number << " does not own it" << std::endl;
    return;
  }
  SendToOthers(user_number, FormatArrival(-present->item.item_id, kPresentAppearance, present->x,
                                          present->y, present->map));
}

void GameServer::HandlePickUp(ClientConnection& connection, int user_number, std::string_view text) {
  std::optional<int> present_id = ParsePickUpRequest(text);
  if (!present_id) return RefuseFaultyRequest(connection, text, "malformed pick-up");
  // Someone else may have been quicker; then there is nothing to do.
  if (!store_.PickUpPresent(user_number, -*present_id)) return;
  SendToOthers(user_number, FormatDeparture(*present_id));
}

void GameServer::HandleUseItem(ClientConnection& connection, int user_number,
                               std::string_view text) {
  std::optional<UseItemRequest> use = ParseUseItemRequest(text);
  if (!use) return RefuseFaultyRequest(connection, text, "malformed item use");
  // Ordinary items have no effect on the world yet.
  if (!IsAppearanceItemCode(use->item_code)) return;
  std::optional<Item> item = store_.FindOwnedItem(user_number, use->item_id);
  std::optional<int> appearance = ParseWholeNumber(use->item_code);
  if (!item || item->item_code != use->item_code || !appearance) {
    log_ << "#" << connection.Id() << " use of item " << use->item_id
         << " refused: user " << user_number << " does not own it" << std::endl;
    return;
  }
  // The client changes its own character only between appearances of the
  // same parity (both even or both odd) and then sends the use; the server
  // follows the same rule so everyone sees what the user sees.
  if (*appearance % 2 != residents_.at(user_number).appearance % 2) return;
  ChangeAppearance(user_number, *appearance);
}

void GameServer::ChangeAppearance(int user_number, int appearance) {
  residents_.at(user_number).appearance = appearance;
  store_.SaveAppearance(user_number, appearance);
  SendToOthers(user_number, FormatAppearance(user_number, appearance));
}

void GameServer::RefuseFaultyRequest(ClientConnection& connection, std::string_view body,
                                     const char* why) {
  log_ << "#" << connection.Id() << " " << why << ": \"" << body << "\"" << std::endl;
  connection.CountFaultyRequest();
}

void GameServer::SendToOthers(int sender, std::string_view message, std::optional<int> map) {
  for (const auto& [user_number, resident] : residents_) {
    if (user_number == sender || (map && resident.map != *map)) continue;
    resident.connection->Send(message);
  }
}

void GameServer::OnConnectionClosed(ClientConnection& connection, const char* reason) {
  if (connection.logged_in_user) Leave(*connection.logged_in_user);
  log_ << "#" << connection.Id() << " disconnected: " << reason << std::endl;
  // Dropping the server's reference last: pending handlers keep it alive.
  auto self = connection.shared_from_this();
  connections_.erase(self);
}

}  // namespace posyvaled
