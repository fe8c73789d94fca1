// The server over real loopback TCP: framing of requests and answers, and
// the login results. Each test serves on its own 127.0.0.N address.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "server_fixture.h"

namespace posyvaled {
namespace {

TEST_F(ServerTest, LoginAnswersCarryResultOrAllSevenFields) {
  StartServer(200);
  struct Case {
    std::string request;
    std::string answer;  // whole frame, prefix in lower case
  };
  // Refusals first: every client stays connected, so each account can log
  // in once in this table.
  const std::vector<Case> cases = {
      {"lnobody,secret", "05l-1"},
      {"l", "05l-1"},
      {"lhana,wrong", "05l-2"},
      {"lhana", "05l-2"},
      {"lHANA,secret", "05l-1"},
      {"lnochar,bad", "05l-2"},
      {"lnochar,pw1", "05l-5"},
      {"lhana,,,secret", kHanaAnswer},
      {"ljp,pw", kJpAnswer},
  };
  std::vector<std::unique_ptr<TestClient>> clients;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    clients.push_back(Connect());
    EXPECT_EQ(LoginAnswer(*clients.back(), c.request), c.answer);
  }
}

TEST_F(ServerTest, AccountIsRefusedWhileLoggedInAndFreeAfterDisconnect) {
  StartServer(201);
  auto first = Connect();
  ASSERT_EQ(LoginAnswer(*first, kHanaLogin), kHanaAnswer);

  auto second = Connect();
  EXPECT_EQ(LoginAnswer(*second, kHanaLogin), "05l-6");

  first->Close();
  auto third = Connect();
  EXPECT_EQ(LoginAnswer(*third, kHanaLogin), kHanaAnswer);
}

TEST_F(ServerTest, FurtherLoginRequestsOnALoggedInConnectionAreIgnored) {
  StartServer(202);
  auto client = Connect();
  ASSERT_EQ(LoginAnswer(*client, kHanaLogin), kHanaAnswer);
  client->SendFrame(kHanaLogin);
  client->SendFrame("ljp,pw");

  // Had the connection taken the second login, "jp" would now be refused;
  // the first client hears of the arrival of "jp" and of nothing else.
  auto other = Connect();
  EXPECT_EQ(LoginAnswer(*other, "ljp,pw"), kJpAnswer);
  EXPECT_EQ(client->ReadBody(), "a3,0,300,240,0");
  EXPECT_FALSE(client->HasData(200));
}

TEST_F(ServerTest, OtherRequestsBeforeLoginGetNoAnswer) {
  StartServer(203);
  auto client = Connect();
  for (const char* body : {"keepAlive", "", "mfoo,1,2,3", "q2", "Lhana,secret"}) {
    client->SendFrame(body);
  }
  EXPECT_EQ(LoginAnswer(*client, kHanaLogin), kHanaAnswer);
}

// Raw byte streams that each carry the login of "hana" in valid frames.
class FramingTest : public ServerTest,
                    public ::testing::WithParamInterface<std::pair<int, std::string>> {};

TEST_P(FramingTest, LoginFramesAreReassembled) {
  const auto& [host_octet, stream] = GetParam();
  StartServer(host_octet);
  auto client = Connect();
  // One byte per segment: prefix digits and body arrive in separate reads.
  for (char byte : stream) {
    client->SendRaw(std::string(1, byte));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(client->ReadFrame(), kHanaAnswer);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, FramingTest,
    ::testing::Values(std::pair{210, std::string("0elhana,secret")},
                      std::pair{211, std::string("0Elhana,secret")},
                      std::pair{212, std::string("0bkeepAlive02") + "0elhana,secret"}));

TEST_F(ServerTest, TwoFramesInOneSegmentAreBothRead) {
  StartServer(213);
  auto client = Connect();
  client->SendRaw("0bkeepAlive0Elhana,secret");
  EXPECT_EQ(client->ReadFrame(), kHanaAnswer);
}

TEST_F(ServerTest, MalformedPrefixClosesOnlyThatConnection) {
  StartServer(214);
  for (const std::string prefix : {"zz", "0g", "g0", "01", "00", "-1", " e", "+e"}) {
    SCOPED_TRACE(prefix);
    auto client = Connect();
    client->SendRaw(prefix + "lhana,secret");
    EXPECT_TRUE(client->WaitForClose());
  }
  auto client = Connect();
  EXPECT_EQ(LoginAnswer(*client, kHanaLogin), kHanaAnswer);
}

TEST_F(ServerTest, ClosingForABadFrameReleasesTheLogin) {
  StartServer(215);
  auto client = Connect();
  ASSERT_EQ(LoginAnswer(*client, kHanaLogin), kHanaAnswer);
  client->SendRaw("zz");
  ASSERT_TRUE(client->WaitForClose());

  auto again = Connect();
  EXPECT_EQ(LoginAnswer(*again, kHanaLogin), kHanaAnswer);
}

}  // namespace
}  // namespace posyvaled
