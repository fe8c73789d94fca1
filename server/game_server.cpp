#include "game_server.h"

#include <ctime>

#include "inventory_messages.h"
#include "password_hash.h"
#include "profile_messages.h"
#include "text_encoding.h"
#include "wire_fields.h"
#include "world_messages.h"

namespace posyvaled {
namespace {

std::string FormatLoginResponse(const Account& account, const std::string& newest_version) {
  return "l" + std::to_string(account.user_number) + "," + std::to_string(account.appearance) +
         "," + *account.handle_name + "," + newest_version + "," + std::to_string(account.x) +
         "," + std::to_string(account.y) + "," + std::to_string(account.map);
}

// Using an ordinary item raises the health by this much, up to the full
// health a new account starts with (shown to the user as 100).
constexpr int kOrdinaryItemHealth = 500;
constexpr int kFullHealth = 10000;

const std::string& ItemUsedTicker() {
  static const std::string text = *Utf8ToCp932("アイテムを使いました。健康度が上がりました。");
  return text;
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
      if (text.starts_with('s')) return HandleSellItem(connection, user_number, text.substr(1));
      return HandleUseItem(connection, user_number, text);
    case 'i':
      return HandleInventoryRequest(connection, user_number, text);
    case 'q':
      return HandleProfileQuery(connection, text);
    case 'u':
      return HandleProfileUpdate(connection, user_number, text);
    case 'h':
      return HandlePostcardRequest(connection, user_number, text);
    case 'l':  // a repeated login changes nothing
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
  Resident& resident = residents_[account.user_number];
  resident.connection = &connection;
  resident.appearance = account.appearance;
  resident.x = account.x;
  resident.y = account.y;
  resident.map = account.map;
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
  postcard_drafts_.erase(user_number);
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

void GameServer::HandleInventoryRequest(ClientConnection& connection, int user_number,
                                        std::string_view text) {
  if (!text.empty()) return RefuseFaultyRequest(connection, text, "malformed inventory request");
  for (const std::string& message : FormatInventory(store_.Inventory(user_number))) {
    connection.Send(message);
  }
}

std::optional<Item> GameServer::RequestedItem(ClientConnection& connection, int user_number,
                                              std::string_view text, const char* action) {
  std::optional<UseItemRequest> request = ParseUseItemRequest(text);
  if (!request || !IsItemCode(request->item_code)) {
    RefuseFaultyRequest(connection, text, "malformed item request");
    return std::nullopt;
  }
  std::optional<Item> item = store_.FindOwnedItem(user_number, request->item_id);
  if (!item || item->item_code != request->item_code) {
    log_ << "#" << connection.Id() << " " << action << " of item " << request->item_id
         << " refused: user " << user_number << " does not own it" << std::endl;
    return std::nullopt;
  }
  return item;
}

void GameServer::HandleUseItem(ClientConnection& connection, int user_number,
                               std::string_view text) {
  std::optional<Item> item = RequestedItem(connection, user_number, text, "use");
  if (!item) return;
  if (IsAppearanceItemCode(item->item_code)) {
    // The client changes its own character only between appearances of
    // the same parity (both even or both odd) and then sends the use; the
    // server follows the same rule so everyone sees what the user sees.
    int appearance = *ParseWholeNumber(item->item_code);
    if (appearance % 2 != residents_.at(user_number).appearance % 2) return;
    return ChangeAppearance(user_number, appearance);
  }
  if (!store_.RemoveItem(user_number, item->item_id)) return;
  store_.RaiseHealth(user_number, kOrdinaryItemHealth, kFullHealth);
  connection.Send(FormatTicker(ItemUsedTicker()));
}

void GameServer::HandleSellItem(ClientConnection& connection, int user_number,
                                std::string_view text) {
  std::optional<Item> item = RequestedItem(connection, user_number, text, "sale");
  if (!item) return;
  store_.SellItem(user_number, item->item_id, ItemPrice(item->item_code));
}

void GameServer::HandleProfileQuery(ClientConnection& connection, std::string_view text) {
  std::optional<int> user_number = ParseWholeNumber(text);
  if (!user_number) return RefuseFaultyRequest(connection, text, "malformed profile query");
  std::optional<Profile> profile = store_.FindProfile(*user_number);
  if (!profile) {
    // The client keeps its window empty until it is closed.
    log_ << "#" << connection.Id() << " profile of unknown user " << *user_number << std::endl;
    return;
  }
  connection.Send(FormatProfile(*profile));
}

void GameServer::HandleProfileUpdate(ClientConnection& connection, int user_number,
                                     std::string_view text) {
  std::optional<ProfileUpdate> update = ParseProfileUpdate(text);
  if (!update) return RefuseFaultyRequest(connection, text, "malformed profile update");
  if (update->user_number != user_number) {
    return RefuseFaultyRequest(connection, text, "profile update of another user");
  }
  store_.SaveProfileText(user_number, update->profile_text);
}

void GameServer::HandlePostcardRequest(ClientConnection& connection, int user_number,
                                       std::string_view text) {
  char form = text.empty() ? '\0' : text.front();
  std::string_view rest = text.substr(text.empty() ? 0 : 1);
  switch (form) {
    case '0':
      if (!rest.empty()) break;
      return DeliverPostcards(connection, user_number);
    case '1':
      return BeginPostcard(connection, user_number, rest);
    case '2':
      return AddPostcardPiece(connection, user_number, rest, false);
    case '3':
      return AddPostcardPiece(connection, user_number, rest, true);
  }
  RefuseFaultyRequest(connection, text, "unknown postcard request");
}

void GameServer::BeginPostcard(ClientConnection& connection, int user_number,
                               std::string_view text) {
  // The client sends a card's requests one right after the other, so an
  // unfinished card here was not sent by it; it is dropped.
  if (postcard_drafts_.erase(user_number) != 0) {
    RefuseFaultyRequest(connection, text, "new postcard before the last one ended");
  }
  std::optional<PostcardHeader> header = ParsePostcardHeader(text);
  if (!header) return RefuseFaultyRequest(connection, text, "malformed postcard header");
  postcard_drafts_[user_number] = PostcardDraft{*header, std::string()};
}

void GameServer::AddPostcardPiece(ClientConnection& connection, int user_number,
                                  std::string_view piece, bool last) {
  auto it = postcard_drafts_.find(user_number);
  if (it == postcard_drafts_.end()) {
    return RefuseFaultyRequest(connection, piece, "postcard piece without a header");
  }
  PostcardDraft& draft = it->second;
  bool fits = last ? !piece.empty() && piece.size() <= kPostcardPieceBytes
                   : piece.size() == kPostcardPieceBytes;
  if (!fits || draft.message.size() + piece.size() > kMaxPostcardMessageBytes) {
    postcard_drafts_.erase(it);
    return RefuseFaultyRequest(connection, piece, "postcard piece of a wrong size");
  }
  draft.message += piece;
  if (!last) return;
  SendResult result = PostPostcard(user_number, draft);
  postcard_drafts_.erase(it);
  connection.Send(FormatSendResult(result));
}

SendResult GameServer::PostPostcard(int sender, const PostcardDraft& draft) {
  const PostcardHeader& header = draft.header;
  std::optional<Profile> recipient = store_.FindProfile(header.recipient);
  if (!recipient) return SendResult::kNoSuchUser;
  if (recipient->handle_name != header.recipient_handle_name) return SendResult::kNameMismatch;
  if (store_.WaitingPostcardCount(header.recipient) >= kMailboxCapacity) {
    return SendResult::kMailboxFull;
  }
  store_.AddPostcard(
      NewPostcard{sender, header.recipient, header.subject, draft.message, std::time(nullptr)});
  return SendResult::kSent;
}

void GameServer::DeliverPostcards(ClientConnection& connection, int user_number) {
  Resident& resident = residents_.at(user_number);
  std::vector<int> card_ids;
  for (const Postcard& card : store_.WaitingPostcards(user_number)) {
    // A second "h0" while the first delivery is still being written must
    // not send those cards twice.
    if (!resident.cards_in_delivery.insert(card.card_id).second) continue;
    card_ids.push_back(card.card_id);
    for (const std::string& message : FormatPostcardDelivery(card)) connection.Send(message);
  }
  connection.Send(kDeliveryEnd);
  if (card_ids.empty()) return;
  connection.WhenWritten([this, user_number, card_ids] { MarkDelivered(user_number, card_ids); });
}

void GameServer::MarkDelivered(int user_number, const std::vector<int>& card_ids) {
  try {
    for (int card_id : card_ids) store_.MarkPostcardDelivered(card_id);
  } catch (const StoreError& error) {
    log_ << "cannot mark the postcards of user " << user_number
         << " delivered: " << error.what() << std::endl;
  }
  auto it = residents_.find(user_number);
  if (it == residents_.end()) return;
  for (int card_id : card_ids) it->second.cards_in_delivery.erase(card_id);
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
