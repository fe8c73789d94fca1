#include "tests/support/raw_login.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include <gtest/gtest.h>

namespace testsupport {

int RawLogin(const std::string& address, const std::string& login_body) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(40000);
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target), 0);
  char frame[128];
  const int n = std::snprintf(frame, sizeof frame, "%02x%s", static_cast<unsigned>(login_body.size() + 2),
                              login_body.c_str());
  EXPECT_EQ(write(fd, frame, static_cast<std::size_t>(n)), n);
  char answer[128] = {};
  EXPECT_GT(read(fd, answer, sizeof answer - 1), 3) << "no login answer";
  return fd;
}

}  // namespace testsupport
