// A loopback test client and a fixture that runs the game server on its own
// thread with a fresh database; each test serves on its own 127.0.0.N.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <iostream>
#include <memory>
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

inline constexpr int kReplyTimeoutMs = 3000;

// A blocking loopback client that reads whole frames with a time limit.
class TestClient {
 public:
  // A `receive_buffer` above 0 shrinks the socket's receive buffer to about
  // that many bytes, for a client that stops reading.
  explicit TestClient(const std::string& address, int receive_buffer = 0) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (receive_buffer > 0) {
      setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    }
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

  // The body of the next whole frame; "(nothing)" when none arrives in time.
  std::string ReadBody(int timeout_ms = kReplyTimeoutMs) {
    std::optional<std::string> frame = ReadFrame(timeout_ms);
    return frame ? frame->substr(2) : "(nothing)";
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

// Accounts every test can log in with, all with empty inventories. User
// numbers follow the order.
//   1 "nochar"/"pw1"  no character
//   2 "hana"/"secret" "Hanako", appearance 3 at (100, 200) on map 1
//   3 "jp"/"pw"       a Japanese handle name with the default place
//   4 "taro"/"pw"     "Taro", appearance 2 at (50, 60) on map 1
//   5 "kumi"/"pw"     "Kumi", appearance 5 at (400, 100) on map 0
inline const std::string kHanaLogin = "lhana,secret";
inline const std::string kHanaAnswer = "1al2,3,Hanako,17,100,200,1";
inline const std::string kJpAnswer = "18l3,0,\x82\xcd\x82\xc8,17,300,240,0";
inline constexpr int kHana = 2;
inline constexpr int kTaro = 4;
inline constexpr int kKumi = 5;

// A GameServer on its own thread, with a fresh database in a temporary folder.
class ServerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    StopServer();
    if (HasFailure()) std::cerr << "server log:\n" << log_.str();
    std::filesystem::remove_all(folder_);
  }

  // `options` may set anything but the address and the newest version.
  void StartServer(int host_octet, ServerOptions options = {}) {
    std::string pattern = (std::filesystem::temp_directory_path() / "server-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    db_path_ = folder_ + "/server.db";
    AddAccount({"nochar", "pw1"});
    AddAccount({"hana", "secret", "--handle", "Hanako", "--appearance", "3", "--x", "100", "--y",
                "200", "--map", "1"});
    AddAccount({"jp", "pw", "--handle", "\xe3\x81\xaf\xe3\x81\xaa"});
    AddAccount({"taro", "pw", "--handle", "Taro", "--appearance", "2", "--x", "50", "--y", "60",
                "--map", "1"});
    AddAccount({"kumi", "pw", "--handle", "Kumi", "--appearance", "5", "--x", "400", "--y",
                "100", "--map", "0"});
    address_ = "127.0.0." + std::to_string(host_octet);
    store_.emplace(db_path_);
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
    args.insert(args.begin(), "add-account");
    args.push_back("--no-starter-items");
    RunCommand(args);
  }

  // Runs a command of the server program on the test's database.
  void RunCommand(std::vector<std::string> args) {
    args.insert(args.begin(), {"--db", db_path_});
    std::ostringstream out, err;
    ASSERT_EQ(RunCommandLine(args, out, err), 0) << err.str();
  }

  // Gives the user an item through the add-item command; returns its id.
  int AddItem(int user_number, const std::string& item_code) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandLine({"--db", db_path_, "add-item", std::to_string(user_number), item_code},
                             out, err),
              0)
        << err.str();
    return std::atoi(out.str().c_str());
  }

  // Runs `work` on the server's thread and waits for it.
  void RunOnServer(std::function<void()> work) {
    // The promise travels with the handler: the waiting thread must not
    // destroy it while the server thread is still inside set_value().
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    asio::post(io_, [work = std::move(work), done] {
      work();
      done->set_value();
    });
    finished.wait();
  }

  // Connects a client and checks the connection was accepted.
  std::unique_ptr<TestClient> Connect(int receive_buffer = 0) {
    auto client = std::make_unique<TestClient>(address_, receive_buffer);
    EXPECT_TRUE(client->Connected()) << "cannot connect to " << address_;
    return client;
  }

  std::optional<std::string> LoginAnswer(TestClient& client, const std::string& request) {
    client.SendFrame(request);
    return client.ReadFrame();
  }

  // Connects and logs in with "l" + `login`; the answer must carry
  // `user_number`. Arrivals that follow are left unread.
  std::unique_ptr<TestClient> LogIn(const std::string& login, int user_number,
                                    int receive_buffer = 0) {
    auto client = Connect(receive_buffer);
    client->SendFrame("l" + login);
    std::string answer = client->ReadBody();
    EXPECT_EQ(answer.substr(0, answer.find(',')), "l" + std::to_string(user_number)) << login;
    return client;
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

}  // namespace posyvaled
