// A plain TCP user of the game server: logs in and stays connected.
#pragma once
#include <string>

namespace testsupport {

// Connects to the server on 127.0.0.N port 40000, sends the login request
// body ("lID,PASSWORD") and waits for the answer; the open socket.
int RawLogin(const std::string& address, const std::string& login_body);

}  // namespace testsupport
