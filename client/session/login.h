// The login: dialog, request and answer.
#pragma once
#include <string>

#include "client/platform/ui.h"

inline constexpr std::size_t kLoginFieldMax = 31;     // typed login ID and password
inline constexpr std::size_t kRememberedIdMax = 63;   // login ID read from the settings

// Login ID and password of the logged-in user.
struct SessionIdentityState {
  std::string login_id;
  std::string password;
};
extern SessionIdentityState SessionIdentity;

// The last answer of the server to a login request and its length.
extern char LoginAnswer[];
extern int LoginAnswerLength;

enum class LoginOutcome { Accepted, Ended };

// Dialog, connection, request and answer, repeated until a login is accepted
// (Accepted) or the user quits or the connection fails (Ended; the
// connection is closed and the surfaces released).
LoginOutcome LoginLoop();

// Runs the login dialog owned by `owner`: 1 confirmed, 2 quit.
int LoginDialog(platform::WindowHandle owner);

// 1 when text has no comma; otherwise tells the user and returns 0.
int CheckNoComma(platform::WindowHandle owner, std::string_view text);

// Fills SessionIdentity from the settings file.
void LoadRememberedLogin();
