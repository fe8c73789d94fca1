#pragma once

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>

#include <asio.hpp>

#include "account_store.h"
#include "client_connection.h"
#include "postcard_messages.h"

namespace posyvaled {

struct ServerOptions {
  std::string address = "127.0.0.1";
  unsigned short port = 40000;
  // Sent verbatim as the newest client version of every successful login.
  std::string newest_version = "16";
  // A ticker text (CP932, at most kMaxTickerBytes) sent to each user right
  // after login; none when empty.
  std::optional<std::string> welcome_ticker;
  ConnectionLimits limits;
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
//
// Who is told what:
// - A login tells everyone else an arrival "a" of the newcomer, and tells the
//   newcomer an arrival of every user already there and of every present on
//   the scene. Leaving (disconnect, idle time-out, being dropped) tells the
//   others a departure "d".
// - Moves and appearance changes go to every other user, whatever map they
//   are on: a client keeps every character with its map, draws those on its
//   own map and files chat by the speaker's map, so its picture of everyone
//   must stay current.
// - Chat goes to the other users on the speaker's map only: a client shows
//   and logs nothing said on another map.
// - Nobody is sent their own moves, chat, appearance, placements or
//   pick-ups: the client shows those itself at once.
// - Inventories, profiles and postcards are answered to the asker only:
//   "i" with the asker's items, "q" with the profile asked for (nothing for
//   a number that names no character), "h0" with the asker's waiting cards
//   and "h4", a card sent with "h1", "h2", "h3" with "het" and the result.
//   "u", "e" and "es" get no answer; a use that changes the appearance is
//   told to the others with "e".
//
// Items: an appearance item stays in the inventory when used (it is worn,
// not spent), and only changes the appearance between numbers of the same
// parity, as the client does. An ordinary item is spent: it raises the
// health and the user gets a ticker saying so. Selling takes the item away
// and pays its price in points. Requests for items the user does not own
// are refused silently: another client of the same user may have been
// quicker.
//
// Postcards: the pieces of a card are gathered per user and the card is
// judged when its last piece arrives; a connection that ends before that
// leaves no card and no answer. Delivered cards are marked delivered only
// once their messages have been handed to the system, so a client that goes
// away during a delivery finds the rest waiting the next time.
class GameServer {
 public:
  // Starts listening at once; throws asio::system_error when it cannot.
  GameServer(asio::io_context& io, AccountStore& store, ServerOptions options, std::ostream& log);
  ~GameServer();
  GameServer(const GameServer&) = delete;
  GameServer& operator=(const GameServer&) = delete;

  // Saves where everyone stands, stops accepting and closes every
  // connection; the io_context then runs out of work.
  void Stop();

  // Sends a ticker text (CP932) to everyone logged in.
  void SendTickerToAll(std::string_view text);

  void HandleRequest(ClientConnection& connection, std::string_view body);
  void OnConnectionClosed(ClientConnection& connection, const char* reason);

 private:
  // A logged-in user and where the server last saw them.
  struct Resident {
    ClientConnection* connection = nullptr;
    int appearance = 0;
    int x = 0;
    int y = 0;
    int map = 0;
    // Cards sent to this user and not yet written out.
    std::set<int> cards_in_delivery;
  };

  // A card whose header has arrived and whose last piece has not.
  struct PostcardDraft {
    PostcardHeader header;
    std::string message;
  };

  void Accept();
  void DispatchRequest(ClientConnection& connection, std::string_view body);
  void DispatchWorldRequest(ClientConnection& connection, int user_number, std::string_view body);
  void HandleLoginRequest(ClientConnection& connection, std::string_view fields_text);
  void RefuseLogin(ClientConnection& connection, std::string_view login_id, LoginError error);
  void Arrive(ClientConnection& connection, const Account& account);
  void Leave(int user_number);

  void HandleMove(ClientConnection& connection, int user_number, std::string_view text);
  void HandleChat(ClientConnection& connection, int user_number, std::string_view text);
  void HandlePlacePresent(ClientConnection& connection, int user_number, std::string_view text);
  void HandlePickUp(ClientConnection& connection, int user_number, std::string_view text);
  void HandleInventoryRequest(ClientConnection& connection, int user_number, std::string_view text);
  void HandleUseItem(ClientConnection& connection, int user_number, std::string_view text);
  void HandleSellItem(ClientConnection& connection, int user_number, std::string_view text);
  // The item an "e" or "es" request names, when the user owns it under that
  // code.
  std::optional<Item> RequestedItem(ClientConnection& connection, int user_number,
                                    std::string_view text, const char* action);
  void HandleProfileQuery(ClientConnection& connection, std::string_view text);
  void HandleProfileUpdate(ClientConnection& connection, int user_number, std::string_view text);
  void HandlePostcardRequest(ClientConnection& connection, int user_number, std::string_view text);
  void BeginPostcard(ClientConnection& connection, int user_number, std::string_view text);
  void AddPostcardPiece(ClientConnection& connection, int user_number, std::string_view piece,
                        bool last);
  SendResult PostPostcard(int sender, const PostcardDraft& draft);
  void DeliverPostcards(ClientConnection& connection, int user_number);
  void MarkDelivered(int user_number, const std::vector<int>& card_ids);
  // Sets the user's appearance, stores it and tells the others.
  void ChangeAppearance(int user_number, int appearance);

  void RefuseFaultyRequest(ClientConnection& connection, std::string_view body, const char* why);
  void SavePosition(int user_number, const Resident& resident);
  // Sends to every logged-in user but `sender`; with `map`, only to those
  // standing on it.
  void SendToOthers(int sender, std::string_view message, std::optional<int> map = std::nullopt);

  AccountStore& store_;
  ServerOptions options_;
  std::ostream& log_;
  asio::ip::tcp::acceptor acceptor_;
  int next_connection_id_ = 1;
  std::set<std::shared_ptr<ClientConnection>> connections_;
  // Logged-in users by user number.
  std::map<int, Resident> residents_;
  // Cards being sent, by sender.
  std::map<int, PostcardDraft> postcard_drafts_;
};

}  // namespace posyvaled
