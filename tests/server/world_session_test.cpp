// The shared world over real loopback TCP: who hears of arrivals, moves,
// chat, presents, appearance changes, tickers and departures, what is
// stored, and which clients are dropped. Each test serves on its own
// 127.0.0.N address.
//
// To show that a client was told nothing, a later message that it must get
// is sent, and it has to be the next frame the client reads.
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "operator_input.h"
#include "server_fixture.h"

namespace posyvaled {
namespace {

const std::string kHanaArrival = "a2,3,100,200,1";
const std::string kTaroArrival = "a4,2,50,60,1";
const std::string kKumiArrival = "a5,5,400,100,0";

std::string Frames(const std::string& body, int count) {
  std::string frame = EncodeFrame(body);
  std::string stream;
  for (int i = 0; i < count; ++i) stream += frame;
  return stream;
}

// Reads what hana, taro and kumi are told when they log in in that order.
void ReadArrivalsOfThree(TestClient& hana, TestClient& taro, TestClient& kumi) {
  ASSERT_EQ(hana.ReadBody(), kTaroArrival);
  ASSERT_EQ(hana.ReadBody(), kKumiArrival);
  ASSERT_EQ(taro.ReadBody(), kHanaArrival);
  ASSERT_EQ(taro.ReadBody(), kKumiArrival);
  ASSERT_EQ(kumi.ReadBody(), kHanaArrival);
  ASSERT_EQ(kumi.ReadBody(), kTaroArrival);
}

TEST_F(ServerTest, ArrivalsGoBothWaysAndTheWelcomeTickerFollows) {
  ServerOptions options;
  options.welcome_ticker = "welcome, all";
  StartServer(220, options);
  auto hana = LogIn("hana,secret", kHana);
  EXPECT_EQ(hana->ReadBody(), "owelcome, all");

  auto taro = LogIn("taro,pw", kTaro);
  EXPECT_EQ(taro->ReadBody(), kHanaArrival);
  EXPECT_EQ(taro->ReadBody(), "owelcome, all");
  EXPECT_EQ(hana->ReadBody(), kTaroArrival);

  // Users on other maps are told too, in user-number order.
  auto kumi = LogIn("kumi,pw", kKumi);
  EXPECT_EQ(kumi->ReadBody(), kHanaArrival);
  EXPECT_EQ(kumi->ReadBody(), kTaroArrival);
  EXPECT_EQ(kumi->ReadBody(), "owelcome, all");
  EXPECT_EQ(hana->ReadBody(), kKumiArrival);
  EXPECT_EQ(taro->ReadBody(), kKumiArrival);

  // Refused logins tell nobody anything.
  auto again = Connect();
  EXPECT_EQ(LoginAnswer(*again, "ltaro,pw"), "05l-6");
  EXPECT_FALSE(hana->HasData(200));
}

TEST_F(ServerTest, MovesReachEveryOtherUserAndTheLastPlaceIsKeptForTheNextLogin) {
  StartServer(221);
  auto hana = LogIn("hana,secret", kHana);
  auto taro = LogIn("taro,pw", kTaro);
  auto kumi = LogIn("kumi,pw", kKumi);
  ReadArrivalsOfThree(*hana, *taro, *kumi);

  // A move naming another user is ignored.
  hana->SendFrame("m4,1,1,1");
  hana->SendFrame("m2,105,200,1");
  hana->SendFrame("m2,2,200,2");
  for (auto* other : {taro.get(), kumi.get()}) {
    EXPECT_EQ(other->ReadBody(), "m2,105,200,1");
    EXPECT_EQ(other->ReadBody(), "m2,2,200,2");
  }
  kumi->SendFrame("m5,405,100,0");
  EXPECT_EQ(hana->ReadBody(), "m5,405,100,0");  // not its own moves

  hana->Close();
  EXPECT_EQ(taro->ReadBody(), "m5,405,100,0");
  EXPECT_EQ(taro->ReadBody(), "d2");
  EXPECT_EQ(kumi->ReadBody(), "d2");
  auto back = Connect();
  EXPECT_EQ(back->ReadBody(0), "(nothing)");
  back->SendFrame(kHanaLogin);
  EXPECT_EQ(back->ReadBody(), "l2,3,Hanako,17,2,200,2");
  EXPECT_EQ(taro->ReadBody(), "a2,3,2,200,2");
}

TEST_F(ServerTest, ChatReachesTheOthersOnTheSpeakersMapOnly) {
  StartServer(222);
  auto hana = LogIn("hana,secret", kHana);
  auto taro = LogIn("taro,pw", kTaro);
  auto kumi = LogIn("kumi,pw", kKumi);
  ReadArrivalsOfThree(*hana, *taro, *kumi);

  hana->SendFrame("cHanako> hello");  // no user number
  hana->SendFrame("c4,Taro> forged");
  hana->SendFrame("c2,Hanako> hello");
  EXPECT_EQ(taro->ReadBody(), "c2,Hanako> hello");
  taro->SendFrame("m4,55,60,1");
  EXPECT_EQ(kumi->ReadBody(), "m4,55,60,1");  // kumi stands on map 0
  EXPECT_EQ(hana->ReadBody(), "m4,55,60,1");  // no echo of its own line

  kumi->SendFrame("m5,400,100,1");
  EXPECT_EQ(hana->ReadBody(), "m5,400,100,1");
  hana->SendFrame("c2,Hanako> hi Kumi");
  EXPECT_EQ(kumi->ReadBody(), "c2,Hanako> hi Kumi");
  EXPECT_EQ(taro->ReadBody(), "m5,400,100,1");
  EXPECT_EQ(taro->ReadBody(), "c2,Hanako> hi Kumi");
}

TEST_F(ServerTest, SilentClientsTimeOutAndTheOthersAreTold) {
  ServerOptions options;
  options.limits.idle_timeout = std::chrono::milliseconds(500);
  StartServer(223, options);
  auto kumi = LogIn("kumi,pw", kKumi);
  auto hana = LogIn("hana,secret", kHana);
  auto taro = LogIn("taro,pw", kTaro);
  // Keep-alives well inside the time-out keep hana and taro for twice as
  // long as the time-out; kumi says nothing.
  for (int i = 0; i < 7; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    hana->SendFrame("keepAlive");
    taro->SendFrame("keepAlive");
  }
  EXPECT_TRUE(kumi->WaitForClose());
  hana->SendFrame("m2,100,205,1");
  EXPECT_EQ(hana->ReadBody(), kKumiArrival);
  EXPECT_EQ(hana->ReadBody(), kTaroArrival);
  EXPECT_EQ(hana->ReadBody(), "d5");
  EXPECT_EQ(taro->ReadBody(), kHanaArrival);
  EXPECT_EQ(taro->ReadBody(), kKumiArrival);
  EXPECT_EQ(taro->ReadBody(), "d5");
  EXPECT_EQ(taro->ReadBody(), "m2,100,205,1");
}

TEST_F(ServerTest, PresentIsPlacedShownToLaterArrivalsAndPickedUpIntoTheInventory) {
  StartServer(224);
  int item_id = AddItem(kHana, "i3");
  int other_item_id = AddItem(kTaro, "7");
  auto hana = LogIn("hana,secret", kHana);
  auto taro = LogIn("taro,pw", kTaro);
  ASSERT_EQ(taro->ReadBody(), kHanaArrival);
  ASSERT_EQ(hana->ReadBody(), kTaroArrival);
  std::string present = std::to_string(-item_id);

  // Items one does not own cannot be placed.
  hana->SendFrame("a-" + std::to_string(other_item_id) + ",34,10,60,1");
  hana->SendFrame("a-" + std::to_string(item_id) + ",34,200,300,1");
  EXPECT_EQ(taro->ReadBody(), "a" + present + ",34,200,300,1");

  auto kumi = LogIn("kumi,pw", kKumi);
  EXPECT_EQ(kumi->ReadBody(), kHanaArrival);
  EXPECT_EQ(kumi->ReadBody(), kTaroArrival);
  EXPECT_EQ(kumi->ReadBody(), "a" + present + ",34,200,300,1");

  taro->SendFrame("d" + present);
  kumi->SendFrame("d" + present);  // too late: nothing happens
  EXPECT_EQ(hana->ReadBody(), kKumiArrival);
  EXPECT_EQ(hana->ReadBody(), "d" + present);
  EXPECT_EQ(kumi->ReadBody(), "d" + present);
  hana->SendFrame("m2,100,205,1");
  EXPECT_EQ(taro->ReadBody(), kKumiArrival);
  EXPECT_EQ(taro->ReadBody(), "m2,100,205,1");
  EXPECT_EQ(kumi->ReadBody(), "m2,100,205,1");

  AccountStore store(db_path_);
  EXPECT_TRUE(store.Inventory(kHana).empty());
  std::vector<Item> taro_items = store.Inventory(kTaro);
  ASSERT_EQ(taro_items.size(), 2u);
  EXPECT_EQ(taro_items[0].item_id, item_id);
  EXPECT_EQ(taro_items[0].item_code, "i3");
  EXPECT_TRUE(store.Inventory(kKumi).empty());
  EXPECT_TRUE(store.Presents().empty());
}

TEST_F(ServerTest, UsingAnAppearanceItemOfTheSameParityChangesAndStoresTheAppearance) {
  StartServer(225);
  int even = AddItem(kHana, "6");
  int odd = AddItem(kHana, "9");
  int taros = AddItem(kTaro, "7");
  auto hana = LogIn("hana,secret", kHana);
  auto taro = LogIn("taro,pw", kTaro);
  ASSERT_EQ(taro->ReadBody(), kHanaArrival);
  ASSERT_EQ(hana->ReadBody(), kTaroArrival);

  hana->SendFrame("e6," + std::to_string(even));   // 6 and 3 differ in parity
  hana->SendFrame("e7," + std::to_string(taros));  // not hers
  hana->SendFrame("e7," + std::to_string(odd));    // the code is not that item's
  hana->SendFrame("e9," + std::to_string(odd));
  EXPECT_EQ(taro->ReadBody(), "e2,9");
  hana->Close();
  EXPECT_EQ(taro->ReadBody(), "d2");

  auto back = Connect();
  EXPECT_EQ(LoginAnswer(*back, kHanaLogin), "1al2,9,Hanako,17,100,200,1");
}

TEST_F(ServerTest, OperatorLinesAreSentToEveryoneAsTickers) {
  StartServer(226);
  auto hana = LogIn("hana,secret", kHana);
  auto kumi = LogIn("kumi,pw", kKumi);
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  std::optional<OperatorInput> input;
  RunOnServer([&] {
    input.emplace(io_, pipe_ends[0], *server_, log_);
    input->Start();
  });
  close(pipe_ends[0]);
  // UTF-8 in, CP932 out; a line too long for the ticker is refused.
  std::string lines = "Sale, today\n" + std::string(156, 'x') + "\n\xe3\x81\xaf\r\n";
  ASSERT_EQ(write(pipe_ends[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  for (auto* client : {hana.get(), kumi.get()}) {
    EXPECT_EQ(client->ReadBody(), client == hana.get() ? kKumiArrival : kHanaArrival);
    EXPECT_EQ(client->ReadBody(), "oSale, today");
    EXPECT_EQ(client->ReadBody(), "o\x82\xcd");
  }
  close(pipe_ends[1]);
  // The input must outlive the server's thread, which still finishes its read.
  RunOnServer([&] { input->Stop(); });
  StopServer();
}

// A stream of requests that must get the sender dropped.
struct Misbehaviour {
  const char* what;
  std::string stream;
};

TEST_F(ServerTest, MisbehavingClientsAreDroppedAndTheOthersGoOn) {
  StartServer(227);
  auto hana = LogIn("hana,secret", kHana);
  const std::vector<Misbehaviour> cases = {
      {"bad frame prefix", "zz"},
      {"malformed moves", Frames("m4,1,2", 11)},
      {"moves of another user", Frames("m2,1,2,1", 11)},
      {"unknown requests", Frames("xyz", 11)},
      {"chat lines longer than a balloon", Frames("c4," + std::string(128, 'x'), 11)},
      {"placements with a wrong picture", Frames("a-1,33,10,60,1", 11)},
      {"positive pick-up ids", Frames("d5", 11)},
      {"profile updates of another user", Frames("u2,hello,500", 11)},
      {"profile texts with a comma", Frames("u4,hello,there,500", 11)},
      {"item codes no item has", Frames("e0,1", 11)},
      {"postcard pieces without a header", Frames("h3hello", 11)},
      {"postcard pieces of a wrong size", Frames("h14,Hanako,hi", 1) + Frames("h2short", 11)},
      {"flood of keep-alives", Frames("keepAlive", 1000)},
      {"flood of moves", Frames("m4,55,60,1", 1000)},
  };
  for (const Misbehaviour& c : cases) {
    SCOPED_TRACE(c.what);
    auto taro = LogIn("taro,pw", kTaro);
    ASSERT_EQ(hana->ReadBody(), kTaroArrival);
    taro->SendRaw(c.stream);
    EXPECT_TRUE(taro->WaitForClose());
    // Moves the offender got through before it was dropped still arrive.
    std::string body = hana->ReadBody();
    while (body == "m4,55,60,1") body = hana->ReadBody();
    EXPECT_EQ(body, "d4");
  }
  // Ten faulty requests are forgiven. (taro comes back where the flood of
  // moves left him.)
  auto taro = LogIn("taro,pw", kTaro);
  ASSERT_EQ(hana->ReadBody(), "a4,2,55,60,1");
  taro->SendRaw(Frames("xyz", 10) + EncodeFrame("m4,55,60,1"));
  EXPECT_EQ(hana->ReadBody(), "m4,55,60,1");
  // What a client may send in the normal course is never faulty, even when
  // there is nothing to do: a profile of nobody, items already gone.
  taro->SendRaw(Frames("i", 4) + Frames("h0", 4) + Frames("q2", 4) + Frames("q99", 4) +
                Frames("u4,Taro here,500", 4) + Frames("u4,Taro here", 4) + Frames("es5,1", 4) +
                Frames("ei5,1", 4) + EncodeFrame("m4,60,60,1"));
  EXPECT_EQ(hana->ReadBody(), "m4,60,60,1");
}

TEST_F(ServerTest, AClientThatDoesNotReadIsDroppedInsteadOfBufferedWithoutEnd) {
  ServerOptions options;
  options.limits.queued_output_bytes = 16 * 1024;
  options.limits.requests_per_second = 1e6;
  options.limits.request_burst = 1e6;
  StartServer(228, options);
  auto hana = LogIn("hana,secret", kHana);
  auto taro = LogIn("taro,pw", kTaro, /*receive_buffer=*/4096);
  auto kumi = LogIn("kumi,pw", kKumi);
  ASSERT_EQ(hana->ReadBody(), kTaroArrival);
  ASSERT_EQ(hana->ReadBody(), kKumiArrival);
  // hana talks to map 1, where taro listens without reading: about 650 KB
  // for him, far beyond the 16 KiB queue and the socket buffers. kumi, on
  // map 0, hears none of it.
  std::string line = Frames("c2,Hanako> " + std::string(116, 'x'), 100);
  for (int i = 0; i < 50; ++i) hana->SendRaw(line);
  EXPECT_EQ(kumi->ReadBody(), kHanaArrival);
  EXPECT_EQ(kumi->ReadBody(), kTaroArrival);
  EXPECT_EQ(kumi->ReadBody(), "d4");
  EXPECT_EQ(hana->ReadBody(), "d4");
}

}  // namespace
}  // namespace posyvaled
