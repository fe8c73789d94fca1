// The framing and the receiver against a real loopback connection: the test
// plays the server on the accepted end and writes raw bytes to the client.
#include "client/session/connection.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A listening socket on 127.0.0.1 with the client connected to it.
class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener_, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(listen(listener_, 1), 0);
    ASSERT_EQ(getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size), 0);

    ASSERT_EQ(ConnectServer("127.0.0.1", ntohs(address.sin_port)), 0);
    server_ = accept(listener_, nullptr, nullptr);
    ASSERT_GE(server_, 0);
  }

  void TearDown() override {
    CloseConnection();
    if (server_ >= 0) close(server_);
    close(listener_);
  }

  // Writes bytes as the server and waits until the client's side has taken
  // all of them, so a following receive sees them.
  void Deliver(const std::string& bytes) {
    ASSERT_EQ(write(server_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    for (int waited = 0; waited < 2000; ++waited) {
      int unacknowledged = 0;
      ASSERT_EQ(ioctl(server_, SIOCOUTQ, &unacknowledged), 0);
      if (unacknowledged == 0) return;
      usleep(1000);
    }
    FAIL() << "the client did not take the bytes";
  }

  void CloseServerSide() {
    close(server_);
    server_ = -1;
  }

  // A close reaches the client a moment after the server made it: receives
  // until something other than "nothing yet" comes, for at most about two
  // seconds.
  int ReceiveAfterClose() {
    int result = -1;
    for (int tries = 0; tries < 2000 && result == -1; ++tries) {
      result = ReceiveMessage(buffer_);
      if (result == -1) usleep(1000);
    }
    return result;
  }

  // The client's end of the connection: the descriptor whose address is the
  // server side's peer address.
  int ClientSocket() {
    sockaddr_in peer{}, local{};
    socklen_t size = sizeof peer;
    if (getpeername(server_, reinterpret_cast<sockaddr*>(&peer), &size) != 0) return -1;
    for (int fd = 3; fd < 1024; ++fd) {
      size = sizeof local;
      if (fd != server_ && getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) == 0 &&
          local.sin_family == AF_INET && local.sin_port == peer.sin_port) {
        return fd;
      }
    }
    return -1;
  }

  // Reads exactly count bytes as the server.
  std::string ReadAsServer(std::size_t count) {
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < count) {
      pollfd entry{server_, POLLIN, 0};
      if (poll(&entry, 1, 2000) <= 0) break;
      ssize_t got = read(server_, chunk, std::min(sizeof chunk, count - bytes.size()));
      if (got <= 0) break;
      bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
  }

  int listener_ = -1;
  int server_ = -1;
  char buffer_[kReceiveBufferSize] = {};
};

// One step of a receive script: what the server writes (if anything),
// whether it then closes, and what the next ReceiveMessage call returns.
struct Step {
  std::string write;
  int result;
  std::string body = {};
  bool close_after = false;
};

struct ReceiveCase {
  const char* name;
  std::vector<Step> steps;
};

void PrintTo(const ReceiveCase& c, std::ostream* out) { *out << c.name; }

class ReceiveScript : public ConnectionTest, public ::testing::WithParamInterface<ReceiveCase> {};

TEST_P(ReceiveScript, DeliversEachCallAsScripted) {
  int call = 0;
  for (const Step& step : GetParam().steps) {
    ++call;
    if (!step.write.empty()) Deliver(step.write);
    if (step.close_after) CloseServerSide();
    int result = step.result == 0 ? ReceiveAfterClose() : ReceiveMessage(buffer_);
    ASSERT_EQ(result, step.result) << "call " << call;
    if (result > 0) {
      EXPECT_EQ(std::string(buffer_), step.body) << "call " << call;
      EXPECT_EQ(buffer_[result], '\0');
    }
  }
}

const std::string kLongest(253, 'x');

INSTANTIATE_TEST_SUITE_P(
    Framing, ReceiveScript,
    ::testing::Values(
        ReceiveCase{"PrefixAndBodyTogetherTakeTwoCalls",
                    {{"05abc", -1}, {"", 3, "abc"}, {"", -1}}},
        ReceiveCase{"BodyInSeveralSegments",
                    {{"0c", -1}, {"ab", -1}, {"cdef", -1}, {"", -1}, {"ghij", 10, "abcdefghij"}}},
        ReceiveCase{"UpperCasePrefix", {{"0BkeepAlive", -1}, {"", 9, "keepAlive"}}},
        ReceiveCase{"LongestFrame", {{"ff" + kLongest, -1}, {"", 253, kLongest}}},
        ReceiveCase{"FramesBackToBack",
                    {{"03x04yz", -1}, {"", 1, "x"}, {"", -1}, {"", 2, "yz"}}},
        ReceiveCase{"EmptyFrameDeliversNothing",
                    {{"0204hi", -1}, {"", -1}, {"", 2, "hi"}}},
        ReceiveCase{"MalformedPrefixCostsTwoBytes",
                    {{"zz04hi", -1}, {"", -1}, {"", 2, "hi"}}},
        // The prefix is read like "%x" reads it: blanks and a plus sign
        // before the digit are taken, reading stops at a non-digit, and a
        // minus sign gives a value far above 256, which is dropped.
        ReceiveCase{"BlankBeforeTheDigit", {{" 5abc", -1}, {"", 3, "abc"}}},
        ReceiveCase{"PlusSign", {{"+5abc", -1}, {"", 3, "abc"}}},
        ReceiveCase{"DigitThenNonDigit", {{"5zabc", -1}, {"", 3, "abc"}}},
        ReceiveCase{"MinusSignIsDropped", {{"-104hi", -1}, {"", -1}, {"", 2, "hi"}}},
        ReceiveCase{"PrefixZeroIsDropped", {{"0004hi", -1}, {"", -1}, {"", 2, "hi"}}},
        ReceiveCase{"PrefixOneIsDropped", {{"0104hi", -1}, {"", -1}, {"", 2, "hi"}}},
        ReceiveCase{"OnePrefixByteIsKeptForTheNext",
                    {{"0", -1}, {"", -1}, {"5", -1}, {"abc", 3, "abc"}}},
        ReceiveCase{"CloseWhileAwaitingPrefix", {{"", 0, "", true}}},
        ReceiveCase{"CloseAfterOnePrefixByte", {{"0", -1}, {"", 0, "", true}}},
        ReceiveCase{"CloseInsideBody", {{"0aabc", -1}, {"", -1}, {"", 0, "", true}}},
        ReceiveCase{"CloseAfterCompleteBody",
                    {{"05abc", -1, "", true}, {"", 3, "abc"}, {"", 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SendCase {
  const char* name;
  std::string text;
  std::string wire;
};

void PrintTo(const SendCase& c, std::ostream* out) { *out << c.name; }

class SendWire : public ConnectionTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendWire, WritesPrefixAndText) {
  ASSERT_EQ(SendRequest(GetParam().text.c_str()), 0);
  EXPECT_EQ(ReadAsServer(GetParam().wire.size()), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Framing, SendWire,
    ::testing::Values(
        SendCase{"KeepAlive", "keepAlive", "0bkeepAlive"},
        SendCase{"Empty", "", "02"},
        // Lengths count CP932 bytes: "c" and five double-byte characters.
        SendCase{"DoubleByteText", "cこんにちは", "0dcこんにちは"},
        SendCase{"Longest", kLongest, "ff" + kLongest},
        SendCase{"TooLongIsCut", std::string(300, 'y'), "ff" + std::string(253, 'y')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectionTest, KeepAliveSendsItsRequest) {
  ASSERT_EQ(SendKeepAlive(), 0);
  EXPECT_EQ(ReadAsServer(11), "0bkeepAlive");
}

// A server that does not read for a while fills the socket buffers (the
// client's kept small), so the socket takes frames only in part; every frame
// must still arrive whole and in order.
TEST_F(ConnectionTest, FramesStayWholeWhenTheServerReadsSlowly) {
  int client = ClientSocket();
  ASSERT_GE(client, 0);
  int small = 4096;
  ASSERT_EQ(setsockopt(client, SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
  constexpr int kFrames = 4000;
  auto text_of = [](int n) {
    std::string text = "m" + std::to_string(n) + ",";
    return text + std::string(kMaxMessageLength - text.size(), 'z');
  };

  std::string received;
  std::thread reader([&] {
    usleep(200 * 1000);  // let the buffers fill first
    received = ReadAsServer(static_cast<std::size_t>(kFrames) * 255);
  });
  int failures = 0;
  for (int n = 0; n < kFrames; ++n) failures += SendRequest(text_of(n).c_str()) != 0;
  reader.join();

  EXPECT_EQ(failures, 0);
  ASSERT_EQ(received.size(), static_cast<std::size_t>(kFrames) * 255);
  for (int n = 0; n < kFrames; ++n) {
    ASSERT_EQ(received.substr(static_cast<std::size_t>(n) * 255, 255), "ff" + text_of(n))
        << "frame " << n;
  }
}

// A server that writes far faster than the client reads fills the client's
// receive memory with partly read segments; the receiver must keep taking
// bodies as they come instead of waiting for whole bodies to be queued,
// which would stall the connection for good.
TEST_F(ConnectionTest, FloodIsReceivedWholeAfterTheReceiveMemoryFilledUp) {
  constexpr int kFrames = 60000;
  std::string flood;
  for (int i = 0; i < kFrames; ++i) flood += "11m1234,100,200,1";
  std::thread writer([this, &flood] {
    std::size_t sent = 0;
    while (sent < flood.size()) {
      const ssize_t n = write(server_, flood.data() + sent, flood.size() - sent);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  });
  usleep(300 * 1000);  // let the flood fill everything before reading

  int received = 0;
  int idle_calls = 0;
  // Guard against a stall: give up after about two seconds without progress.
  while (received < kFrames && idle_calls < 20000) {
    const int length = ReceiveMessage(buffer_);
    if (length > 0) {
      ASSERT_STREQ(buffer_, "m1234,100,200,1");
      ++received;
      idle_calls = 0;
    } else {
      ASSERT_EQ(length, -1);
      if (++idle_calls % 100 == 0) usleep(10 * 1000);
    }
  }
  EXPECT_EQ(received, kFrames) << "the receiver stalled";
  shutdown(server_, SHUT_RDWR);
  writer.join();
}

}  // namespace
