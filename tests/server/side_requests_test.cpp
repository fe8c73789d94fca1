// Profiles, the inventory and postcards over real loopback TCP: what a
// client is answered, what is stored and what the others are told. Each
// test serves on its own 127.0.0.N address.
#include <sqlite3.h>

#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inventory_messages.h"
#include "postcard_messages.h"
#include "server_fixture.h"
#include "text_encoding.h"

namespace posyvaled {
namespace {

const std::string kHanaArrival = "a2,3,100,200,1";
const std::string kTaroArrival = "a4,2,50,60,1";

// "はな" in UTF-8 (as the command line takes it) and in CP932 (as it travels).
const std::string kHanaUtf8 = "\xe3\x81\xaf\xe3\x81\xaa";
const std::string kHanaCp932 = "\x82\xcd\x82\xc8";

std::string Ids(const std::vector<int>& ids) {
  std::string text;
  for (int id : ids) text += (text.empty() ? "" : ",") + std::to_string(id);
  return text;
}

// "h1,date,time,..." as the server formats it for a card sent at `moment`.
std::string DeliveryHeader(std::time_t moment, const std::string& rest) {
  std::tm local{};
  localtime_r(&moment, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d,%H:%M", &local);
  return "h1," + std::string(text) + "," + rest;
}

class SideRequestTest : public ServerTest {
 protected:
  // hana and taro logged in, each told of the other.
  void LogInHanaAndTaro() {
    hana_ = LogIn("hana,secret", kHana);
    taro_ = LogIn("taro,pw", kTaro);
    ASSERT_EQ(taro_->ReadBody(), kHanaArrival);
    ASSERT_EQ(hana_->ReadBody(), kTaroArrival);
  }

  // The "r" answer to "q" + user number, or "(nothing)".
  std::string Profile(TestClient& client, int user_number) {
    client.SendFrame("q" + std::to_string(user_number));
    return client.ReadBody();
  }

  // Sends a card the way the client does: header, 240-byte pieces, last piece.
  void SendCard(TestClient& client, const std::string& header, const std::string& message) {
    client.SendFrame("h1" + header);
    std::vector<std::string_view> pieces = SplitMessagePieces(message);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      client.SendFrame((i + 1 < pieces.size() ? "h2" : "h3") + std::string(pieces[i]));
    }
  }

  // Stores `count` cards from hana to taro directly, in one transaction.
  void FillTarosMailbox(int count) {
    AccountStore store(db_path_);
    sqlite3_exec(store.Database(), "BEGIN;", nullptr, nullptr, nullptr);
    for (int i = 0; i < count; ++i) {
      store.AddPostcard({kHana, kTaro, "card " + std::to_string(i), std::string(300, 'x'), 0});
    }
    sqlite3_exec(store.Database(), "COMMIT;", nullptr, nullptr, nullptr);
  }

  std::unique_ptr<TestClient> hana_;
  std::unique_ptr<TestClient> taro_;
};

TEST_F(SideRequestTest, ProfileQueriesAnswerHandleNameTextPointsAndHealth) {
  StartServer(229);
  RunCommand({"set-profile", std::to_string(kHana), "hello " + kHanaUtf8});
  RunCommand({"set-points", std::to_string(kHana), "120"});
  RunCommand({"set-health", std::to_string(kHana), "-150"});
  LogInHanaAndTaro();

  const std::string hanas = "rHanako,hello " + kHanaCp932 + ",120,-150";
  EXPECT_EQ(Profile(*hana_, kHana), hanas);  // her own
  EXPECT_EQ(Profile(*taro_, kHana), hanas);  // another user's
  // A new account: no profile text yet, the starting points and full health.
  EXPECT_EQ(Profile(*hana_, kTaro), "rTaro,no profile,500,10000");
  // Numbers without a character get no answer: the next answer is the one
  // to the query after them.
  hana_->SendFrame("q1");
  hana_->SendFrame("q99");
  hana_->SendFrame("q-7");
  EXPECT_EQ(Profile(*hana_, kTaro), "rTaro,no profile,500,10000");
}

TEST_F(SideRequestTest, OnlyTheSendersOwnProfileTextWithoutACommaIsStored) {
  StartServer(230);
  LogInHanaAndTaro();
  struct Case {
    std::string request;
    std::string stored;  // profile text that taro's "r" shows afterwards
  };
  // "u", the user number, two commas and 3 digits of points take 7 bytes.
  const std::string longest(127 - 7, 'x');
  const std::vector<Case> cases = {
      {"u4,Hello there,500", "Hello there"},
      {"u4,Hello,there,500", "Hello there"},  // a comma in the text
      {"u4,Hello,there", "Hello there"},
      {"u2,forged,500", "Hello there"},     // hana's number
      {"u4," + longest + "x,500", "Hello there"},  // 128 bytes
      {"u4," + longest + ",500", longest},
      {"u4,ok,999999", "ok"},  // the points sent are not taken
      {"u4," + kHanaCp932, kHanaCp932},  // no points: the client never got an "r"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    taro_->SendFrame(c.request);
    EXPECT_EQ(Profile(*taro_, kTaro), "rTaro," + c.stored + ",500,10000");
  }
  EXPECT_EQ(Profile(*hana_, kHana), "rHanako,no profile,500,10000");
}

TEST_F(SideRequestTest, InventoryListsOwnItemsOldestFirstWithPickedUpPresentsLast) {
  StartServer(231);
  LogInHanaAndTaro();
  hana_->SendFrame("i");
  EXPECT_EQ(hana_->ReadBody(), "i0");

  int ordinary = AddItem(kHana, "i3");
  int appearance = AddItem(kHana, "7");
  int taros = AddItem(kTaro, "12");
  hana_->SendFrame("i");
  EXPECT_EQ(hana_->ReadBody(), "ii3," + std::to_string(ordinary) + ",7," +
                                   std::to_string(appearance));

  // taro gives his item as a present; hana picks it up.
  taro_->SendFrame("a-" + std::to_string(taros) + ",34,200,300,1");
  ASSERT_EQ(hana_->ReadBody(), "a" + std::to_string(-taros) + ",34,200,300,1");
  hana_->SendFrame("d" + std::to_string(-taros));
  ASSERT_EQ(taro_->ReadBody(), "d" + std::to_string(-taros));
  hana_->SendFrame("i");
  EXPECT_EQ(hana_->ReadBody(), "ii3," + std::to_string(ordinary) + ",7," +
                                   std::to_string(appearance) + ",12," + std::to_string(taros));
  taro_->SendFrame("i");
  EXPECT_EQ(taro_->ReadBody(), "i0");
}

TEST(InventoryMessageTest, LongListsGoOnInFurtherMessagesInOrder) {
  std::vector<Item> items;
  for (int i = 0; i < 40; ++i) items.push_back({100000 + i, i % 2 ? "i123" : "33"});
  std::vector<std::string> messages = FormatInventory(items);
  ASSERT_GT(messages.size(), 1u);
  std::string pairs;
  for (const std::string& message : messages) {
    EXPECT_LE(message.size(), kMaxBodyLength);
    ASSERT_TRUE(message.starts_with("i")) << message;
    EXPECT_NE(message[1], '0') << message;  // the client would list nothing
    pairs += (pairs.empty() ? "" : ",") + message.substr(1);
  }
  std::string expected;
  for (const Item& item : items) {
    expected += (expected.empty() ? "" : ",") + item.item_code + "," + std::to_string(item.item_id);
  }
  EXPECT_EQ(pairs, expected);
}

TEST_F(SideRequestTest, UsingItemsChangesTheLookOrSpendsTheItem) {
  StartServer(232);
  RunCommand({"set-health", std::to_string(kHana), "9800"});
  int odd = AddItem(kHana, "5");
  int even = AddItem(kHana, "6");
  int food = AddItem(kHana, "i2");
  LogInHanaAndTaro();

  // Appearance 3 takes odd items only; the item is worn, not spent.
  hana_->SendFrame("e6," + std::to_string(even));
  hana_->SendFrame("e5," + std::to_string(odd));
  EXPECT_EQ(taro_->ReadBody(), "e2,5");
  // An ordinary item is spent, raises the health up to the full 10000 and
  // tells its user so; a second use finds nothing.
  hana_->SendFrame("ei2," + std::to_string(food));
  EXPECT_EQ(hana_->ReadBody(),
            "o" + *Utf8ToCp932("アイテムを使いました。健康度が上がりました。"));
  hana_->SendFrame("ei2," + std::to_string(food));
  hana_->SendFrame("i");
  EXPECT_EQ(hana_->ReadBody(), "i5," + Ids({odd}) + ",6," + Ids({even}));
  EXPECT_EQ(Profile(*hana_, kHana), "rHanako,no profile,500,10000");
  // taro heard of the look only.
  hana_->SendFrame("m2,100,205,1");
  EXPECT_EQ(taro_->ReadBody(), "m2,100,205,1");
}

TEST_F(SideRequestTest, SellingTakesTheItemAndPaysItsPrice) {
  StartServer(233);
  RunCommand({"set-points", std::to_string(kHana), "1000"});
  int look = AddItem(kHana, "9");
  int food = AddItem(kHana, "i4");
  int kept = AddItem(kHana, "i5");
  int taros = AddItem(kTaro, "i6");
  LogInHanaAndTaro();

  hana_->SendFrame("es9," + std::to_string(look));
  hana_->SendFrame("esi4," + std::to_string(food));
  // Sold already, named with another code, or not hers: nothing happens.
  hana_->SendFrame("es9," + std::to_string(look));
  hana_->SendFrame("esi4," + std::to_string(kept));
  hana_->SendFrame("esi6," + std::to_string(taros));
  hana_->SendFrame("i");
  EXPECT_EQ(hana_->ReadBody(), "ii5," + Ids({kept}));
  EXPECT_EQ(Profile(*hana_, kHana), "rHanako,no profile," +
                                        std::to_string(1000 + kAppearanceItemPrice +
                                                       kOrdinaryItemPrice) +
                                        ",10000");
  taro_->SendFrame("i");
  EXPECT_EQ(taro_->ReadBody(), "ii6," + Ids({taros}));
}

TEST_F(SideRequestTest, APostcardOfSeveralPiecesArrivesWholeOnceAndThenIsDelivered) {
  StartServer(234);
  LogInHanaAndTaro();
  // 501 bytes of CP932 with a line break: an odd start makes both piece
  // boundaries fall inside a double-byte character.
  std::string message = "a";
  while (message.size() < 495) message += kHanaCp932;
  message += "\r\nbye";
  ASSERT_EQ(message.size(), 502u);
  std::time_t before = std::time(nullptr);
  SendCard(*hana_, "4,Taro," + kHanaCp932 + " hi", message);
  EXPECT_EQ(hana_->ReadBody(), "het0");

  taro_->SendFrame("h0");
  std::string header = taro_->ReadBody();
  std::time_t after = std::time(nullptr);
  std::string rest = "2,Hanako," + kHanaCp932 + " hi";
  EXPECT_TRUE(header == DeliveryHeader(before, rest) || header == DeliveryHeader(after, rest))
      << header;
  EXPECT_EQ(taro_->ReadBody(), "h2" + message.substr(0, 240));
  EXPECT_EQ(taro_->ReadBody(), "h2" + message.substr(240, 240));
  EXPECT_EQ(taro_->ReadBody(), "h3" + message.substr(480));
  EXPECT_EQ(taro_->ReadBody(), "h4");
  // Delivered once: the next fetch is empty, and hana had none waiting.
  taro_->SendFrame("h0");
  EXPECT_EQ(taro_->ReadBody(), "h4");
  hana_->SendFrame("h0");
  EXPECT_EQ(hana_->ReadBody(), "h4");
}

TEST(PostcardMessageTest, MessagesSplitInto240BytePiecesAndALastPiece) {
  struct Case {
    std::size_t size;
    std::vector<std::size_t> pieces;
  };
  const std::vector<Case> cases = {
      {1, {1}}, {240, {240}}, {241, {240, 1}}, {480, {240, 240}}, {799, {240, 240, 240, 79}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::string message;
    for (std::size_t i = 0; i < c.size; ++i) message += static_cast<char>('a' + i % 26);
    std::vector<std::size_t> sizes;
    std::string joined;
    for (std::string_view piece : SplitMessagePieces(message)) {
      sizes.push_back(piece.size());
      joined += piece;
    }
    EXPECT_EQ(sizes, c.pieces);
    EXPECT_EQ(joined, message);
  }
}

TEST_F(SideRequestTest, PostcardsToUnknownOrMisnamedUsersAreRefusedWithTheirCodes) {
  StartServer(235);
  LogInHanaAndTaro();
  struct Case {
    std::string header;
    std::string answer;
  };
  const std::vector<Case> cases = {
      {"99,Taro,hi", "het2"},       // no such user
      {"0,Taro,hi", "het2"},        // not in the sender's friends list
      {"-1,Taro,hi", "het2"},       // no friends list
      {"1,nochar,hi", "het2"},      // an account without a character
      {"4,Hanako,hi", "het3"},      // another user's name
      {"4,taro,hi", "het3"},        // names are compared exactly
      {"4,Taro,hi,there", "het0"},  // a comma cut the subject short
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    SendCard(*hana_, c.header, "hello");
    EXPECT_EQ(hana_->ReadBody(), c.answer);
  }
  taro_->SendFrame("h0");
  std::string header = taro_->ReadBody();
  EXPECT_TRUE(header.ends_with(",2,Hanako,hi")) << header;
  EXPECT_EQ(taro_->ReadBody(), "h3hello");
  EXPECT_EQ(taro_->ReadBody(), "h4");
}

TEST_F(SideRequestTest, AFullMailboxRefusesCardsAndAFullDeliveryGoesOutInOneFetch) {
  StartServer(236);
  FillTarosMailbox(kMailboxCapacity);
  LogInHanaAndTaro();
  SendCard(*hana_, "4,Taro,one more", "hello");
  EXPECT_EQ(hana_->ReadBody(), "het1");

  taro_->SendFrame("h0");
  for (int i = 0; i < kMailboxCapacity; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(taro_->ReadBody().ends_with(",2,Hanako,card " + std::to_string(i)));
    ASSERT_EQ(taro_->ReadBody(), "h2" + std::string(240, 'x'));
    ASSERT_EQ(taro_->ReadBody(), "h3" + std::string(60, 'x'));
  }
  EXPECT_EQ(taro_->ReadBody(), "h4");
  SendCard(*hana_, "4,Taro,room again", "hello");
  EXPECT_EQ(hana_->ReadBody(), "het0");
}

TEST_F(SideRequestTest, NothingIsLostWhenAClientLeavesWhileSendingOrReceiving) {
  ServerOptions options;
  options.limits.socket_send_buffer_bytes = 4096;
  StartServer(237, options);
  FillTarosMailbox(kMailboxCapacity);
  hana_ = LogIn("hana,secret", kHana);
  // taro asks for his cards and leaves without reading them: far more than
  // the socket buffers hold, so they were never all written out.
  auto taro = LogIn("taro,pw", kTaro, /*receive_buffer=*/4096);
  ASSERT_EQ(hana_->ReadBody(), kTaroArrival);
  taro->SendFrame("h0");
  ASSERT_TRUE(taro->HasData(kReplyTimeoutMs));
  taro->Close();
  ASSERT_EQ(hana_->ReadBody(), "d4");
  // hana leaves in the middle of a card: no card, and no answer to anyone.
  hana_->SendFrame("h14,Taro,unfinished");
  hana_->SendFrame("h2" + std::string(240, 'y'));
  hana_->Close();

  taro_ = LogIn("taro,pw", kTaro);
  taro_->SendFrame("h0");
  int cards = 0;
  for (std::string body = taro_->ReadBody(); body != "h4"; body = taro_->ReadBody()) {
    ASSERT_NE(body, "(nothing)");
    if (body.starts_with("h1")) {
      EXPECT_TRUE(body.ends_with(",card " + std::to_string(cards))) << body;
      ++cards;
    }
  }
  EXPECT_EQ(cards, kMailboxCapacity);
}

}  // namespace
}  // namespace posyvaled
