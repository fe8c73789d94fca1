// The failures of the server connection that the user is told about.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "client/session/connection.h"
#include "tests/support/modal_script.h"

namespace {

// A loopback port with nothing listening on it.
int ClosedPort() {
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(probe, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  close(probe);
  return ntohs(address.sin_port);
}

struct ShownBox {
  std::string text;
  std::string caption;
  unsigned style;
};

void ExpectOneOwnerlessBox(const testsupport::ModalScript& script, const ShownBox& expected) {
  auto boxes = script.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, expected.text);
  EXPECT_EQ(boxes[0].caption, expected.caption);
  EXPECT_EQ(boxes[0].style, expected.style);
  EXPECT_FALSE(boxes[0].has_owner);
}

TEST(ConnectionFailure, RefusedConnectShowsConnectFailure) {
  testsupport::ModalScript script;
  EXPECT_EQ(ConnectServer("127.0.0.1", ClosedPort()), -1);
  CloseConnection();
  ExpectOneOwnerlessBox(script, {"サーバ接続に失敗", "connect", platform::MB_OK});
}

TEST(ConnectionFailure, UnknownHostShowsHostAddressFailure) {
  testsupport::ModalScript script;
  EXPECT_EQ(ConnectServer("no-such-host.invalid", 40000), -1);
  ExpectOneOwnerlessBox(script,
                        {"Error: ホストアドレス取得失敗\n", "Socket err", platform::MB_ICONHAND});
}

// A server that resets the connection: the send fails, the connection is
// closed for good, and every later request fails with the same message.
TEST(ConnectionFailure, SendToResetServerFailsEveryTime) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
  ASSERT_EQ(ConnectServer("127.0.0.1", ntohs(address.sin_port)), 0);
  int server = accept(listener, nullptr, nullptr);
  ASSERT_GE(server, 0);
  linger reset{1, 0};
  setsockopt(server, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  close(server);
  close(listener);

  testsupport::ModalScript script;
  // The reset reaches the client a moment after the close; until then a
  // frame may still go out.
  int result = 0;
  for (int tries = 0; tries < 1000 && result == 0; ++tries) {
    result = SendRequest("keepAlive");
    if (result == 0) usleep(1000);
  }
  EXPECT_EQ(result, -1);
  ExpectOneOwnerlessBox(
      script, {"Error: サーバへの送信失敗\n", "Socket err", platform::MB_ICONHAND});

  char buffer[kReceiveBufferSize];
  EXPECT_EQ(ReceiveMessage(buffer), -1);
  EXPECT_EQ(SendKeepAlive(), -1);
  EXPECT_EQ(script.MessageBoxes().size(), 2u);
}

}  // namespace
