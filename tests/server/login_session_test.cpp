// The server over real loopback TCP: framing of requests and answers, and
// the login results. Each test serves on its own 127.0.0.N address.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "account_store.h"
#include "command_line.h"
#include "game_server.h"

namespace posyvaled {
namespace {

constexpr int kReplyTimeoutMs = 3000;

// A blocking loopback client that reads whole frames with a time limit.
class TestClient {
 public:
  explicit TestClient(const std::string& address) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(40000);
    inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  }
  ~TestClient() { Close(); }
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  bool Connected() const { return connected_; }

  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  void SendRaw(const std::string& bytes) {
    ASSERT_EQ(send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }

  void SendFrame(const std::string& body) {
    char prefix[3];
    std::snprintf(prefix, sizeof prefix, "%02x", static_cast<unsigned>(body.size() + 2));
    SendRaw(prefix + body);
  }

  // The next whole frame, prefix included, or nothing when none arrives in
  // time or the connection ends.
  std::optional<std::string> ReadFrame(int timeout_ms = kReplyTimeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (true) {
      if (received_.size() >= 2) {
        std::size_t length = std::strtoul(received_.substr(0, 2).c_str(), nullptr, 16);
        if (length >= 2 && received_.size() >= length) {
          std::string frame = received_.substr(0, length);
          received_.erase(0, length);
          return frame;
        }
      }
      if (ReceiveSome(deadline) <= 0) return std::nullopt;
    }
  }

  // True when the server closes the connection in time (data before the
  // close is dropped).
  bool WaitForClose(int timeout_ms = kReplyTimeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (true) {
      int result = ReceiveSome(deadline);
      if (result == 0) return true;
      if (result < 0) return errno == ECONNRESET;
    }
  }

  // Bytes already received or arriving within `timeout_ms`.
  bool HasData(int timeout_ms) {
    if (!received_.empty()) return true;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    return ReceiveSome(deadline) > 0;
  }

 private:
  // > 0 bytes received, 0 closed by the peer, < 0 timeout (errno 0) or error.
  int ReceiveSome(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd entry{fd_, POLLIN, 0};
    errno = 0;
    if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0) return -1;
    char buffer[512];
    ssize_t size = recv(fd_, buffer, sizeof buffer, 0);
    if (size > 0) received_.append(buffer, size);
    return static_cast<int>(size);
  }

  int fd_ = -1;
  bool connected_ = false;
  std::string received_;
};

// Accounts every test can log in with. User numbers follow the order.
//   1 "nochar"/"pw1"  no character
//   2 "hana"/"secret" "Hanako", appearance 3 at (100, 200) on map 1
//   3 "jp"/"pw"       a Japanese handle name with the default place
const std::string kHanaLogin = "lhana,secret";
const std::string kHanaAnswer = "1al2,3,Hanako,17,100,200,1";
const std::string kJpAnswer = "18l3,0,\x82\xcd\x82\xc8,17,300,240,0";

// A GameServer on its own thread, with a fresh database in a temporary folder.
class ServerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    StopServer();
    if (HasFailure()) std::cerr << "server log:\n" << log_.str();
    std::filesystem::remove_all(folder_);
  }

  void StartServer(int host_octet) {
    std::string pattern = (std::filesystem::temp_directory_path() / "server-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    db_path_ = folder_ + "/server.db";
    AddAccount({"nochar", "pw1"});
    AddAccount({"hana", "secret", "--handle", "Hanako", "--appearance", "3", "--x", "100", "--y",
                "200", "--map", "1"});
    AddAccount({"jp", "pw", "--handle", "\xe3\x81\xaf\xe3\x81\xaa"});
    address_ = "127.0.0." + std::to_string(host_octet);
    store_.emplace(db_path_);
    ServerOptions options;
    options.address = address_;
    options.newest_version = "17";
    server_.emplace(io_, *store_, options, log_);
    thread_ = std::thread([this] { io_.run(); });
  }

  void StopServer() {
    if (!thread_.joinable()) return;
    asio::post(io_, [this] { server_->Stop(); });
    thread_.join();
  }

  void AddAccount(std::vector<std::string> args) {
    args.insert(args.begin(), {"--db", db_path_, "add-account"});
    std::ostringstream out, err;
    ASSERT_EQ(RunCommandLine(args, out, err), 0) << err.str();
  }

  // Connects a client and checks the connection was accepted.
  std::unique_ptr<TestClient> Connect() {
    auto client = std::make_unique<TestClient>(address_);
    EXPECT_TRUE(client->Connected()) << "cannot connect to " << address_;
    return client;
  }

  std::optional<std::string> LoginAnswer(TestClient& client, const std::string& request) {
    client.SendFrame(request);
    return client.ReadFrame();
  }

  std::string folder_;
  std::string db_path_;
  std::string address_;
  std::ostringstream log_;
  asio::io_context io_;
  std::optional<AccountStore> store_;
  std::optional<GameServer> server_;
  std::thread thread_;
};

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

  // Had the connection taken the second login, "jp" would now be refused.
  auto other = Connect();
  EXPECT_EQ(LoginAnswer(*other, "ljp,pw"), kJpAnswer);
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
