#include "client/session/login.h"

#include <cstdio>
#include <cstring>

#include "client/platform/clock.h"
#include "client/platform/files.h"
#include "client/platform/text.h"
#include "client/resources/templates.h"
#include "client/session/connection.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/settings.h"
#include "client/session/wire_fields.h"
#include "client/sidewindows/update.h"
#include "client/world/surfaces.h"
#include "client/world/world_state.h"

SessionIdentityState SessionIdentity;
char LoginAnswer[kReceiveBufferSize + 1];
int LoginAnswerLength = 0;

namespace {

constexpr int kAnswerPolls = 20;
constexpr unsigned kAnswerPollInterval = 500;
constexpr int kLoginAnswerFields = 7;

struct LoginError {
  const char* message;
  const char* page;  // opened on Yes; null: OK button only
  bool community;    // the page is on the community site
};

// Indexed by the negated result.
constexpr LoginError LoginErrorTable[] = {
    {"", nullptr, false},
    {"IDが間違っています。", nullptr, false},
    {"パスワードが間違っています。\n「パスワード忘れ画面」を表示しますか？", "/user.php#lost", true},
    {"", nullptr, false},
    {"", nullptr, false},
    {"キャラクタが作成されていません。\nPosyvaleにログインするためにはPosyvale内で使用するキャラクタの作成があらかじめ必要です。\n「キャラクタ作成画面」を表示しますか？",
     "/usr_login.htm", false},
    {"すでにログインしています。", nullptr, false},
    {"", nullptr, false},
};
constexpr int kLowestKnownResult = -7;

void ShowLoginError(int result) {
  if (result < kLowestKnownResult) {
    char text[96];
    std::snprintf(text, sizeof text, "ログインできませんでした。(エラー番号 %d)", result);
    platform::MessageBox(MainWindow, text, "ログインエラー", platform::MB_ICONHAND);
    return;
  }
  const LoginError& entry = LoginErrorTable[-result];
  if (!entry.page) {
    platform::MessageBox(MainWindow, entry.message, "ログインエラー", platform::MB_ICONHAND);
    return;
  }
  if (platform::MessageBox(MainWindow, entry.message, "ログインエラー",
                           platform::MB_YESNO | platform::MB_ICONHAND) == platform::IDYES) {
    platform::OpenInBrowser(entry.community ? CommunityPageUrl(entry.page) : ServicePageUrl(entry.page));
  }
}

void CopyHandleName(std::string_view name) {
  const std::string_view fitted = platform::Cp932Prefix(name, kHandleNameSize - 1);
  std::memset(OwnAvatar.handle_name, 0, sizeof OwnAvatar.handle_name);
  fitted.copy(OwnAvatar.handle_name, fitted.size());
}

// Waits for the answer frame: up to 20 polls, 500 ms apart.
int AwaitLoginAnswer(char* buffer) {
  for (int poll = 0; poll < kAnswerPolls; ++poll) {
    const int length = ReceiveMessage(buffer);
    if (length > 0) return length;
    platform::SleepMs(kAnswerPollInterval);
  }
  return -1;
}

void EndLogin() {
  CloseConnection();
  ReleaseSurfaces();
}

class LoginDialogProc : public platform::DialogProc {
 public:
  void OnInitDialog(platform::WindowHandle dialog) override {
    platform::SetDlgItemText(dialog, resources::kLoginIdEdit, SessionIdentity.login_id);
    platform::SetDlgItemText(dialog, resources::kPasswordEdit, SessionIdentity.password);
    platform::SetFocus(dialog);
  }

  void OnCommand(platform::WindowHandle dialog, int id) override {
    switch (id) {
      case 1: Confirm(dialog); break;
      case 2: platform::EndDialog(dialog, 2); break;
      case resources::kRegisterButton: platform::OpenInBrowser(CommunityPageUrl("/register.php")); break;
      case resources::kLostPasswordButton: platform::OpenInBrowser(CommunityPageUrl("/user.php#lost")); break;
      case resources::kHowToButton: platform::OpenInBrowser(ServicePageUrl("/tsukaikata/index1.htm")); break;
      case resources::kCommunityButton: platform::OpenInBrowser(CommunityPageUrl("/")); break;
      case resources::kHomePageButton: platform::OpenInBrowser(ServicePageUrl("/")); break;
      case resources::kFaqButton: platform::OpenInBrowser(ServicePageUrl("/faq.htm")); break;
      default: break;
    }
  }

 private:
  static void Confirm(platform::WindowHandle dialog) {
    const unsigned warn = platform::MB_ICONQUESTION;
    std::string login_id = platform::GetDlgItemText(dialog, resources::kLoginIdEdit, kLoginFieldMax);
    if (login_id.empty()) {
      platform::MessageBox(dialog, "IDが入力されていません。", "確 認", warn);
      return;
    }
    if (!CheckNoComma(dialog, login_id)) return;
    std::string password = platform::GetDlgItemText(dialog, resources::kPasswordEdit, kLoginFieldMax);
    if (password.empty()) {
      platform::MessageBox(dialog, "パスワードが入力されていません。", "確 認", warn);
      return;
    }
    if (!CheckNoComma(dialog, password)) return;
    SessionIdentity.login_id = std::move(login_id);
    SessionIdentity.password = std::move(password);
    platform::EndDialog(dialog, 1);
  }
};

// Applies an accepted answer up to saving the login; false when it lacks
// fields.
bool AcceptLoginAnswer(const WireFields& fields) {
  if (fields.count < kLoginAnswerFields) return false;
  const int left = ReadWireInt(fields.field[4]);
  const int top = ReadWireInt(fields.field[5]);
  OwnAvatar.rect = {left, top, left + kOwnAvatarSize, top + kOwnAvatarSize};
  MapNumber = ReadWireInt(fields.field[6]);
  WriteSetting("ID", SessionIdentity.login_id);
  WriteStoredPassword(SessionIdentity.password);
  return true;
}

// The rest of an accepted answer, once no update ends the client.
void TakeOwnCharacter(const WireFields& fields) {
  OwnAvatar.appearance = ReadWireInt(fields.field[1]);
  CopyHandleName(fields.field[2]);
}

}  // namespace

int CheckNoComma(platform::WindowHandle owner, std::string_view text) {
  if (text.find(',') == std::string_view::npos) return 1;
  platform::MessageBox(owner, " ' , ' (コンマ)文字は使用出来ません。", "確 認", platform::MB_ICONQUESTION);
  return 0;
}

int LoginDialog(platform::WindowHandle owner) {
  LoginDialogProc proc;
  return platform::DialogBoxModal(resources::LoginDialogTemplate, owner, proc);
}

void LoadRememberedLogin() {
  SessionIdentity.login_id = std::string(platform::Cp932Prefix(ReadSetting("ID"), kRememberedIdMax));
  SessionIdentity.password = ReadStoredPassword();
}

LoginOutcome LoginLoop() {
  char* buffer = LoginAnswer;
  for (;;) {
    if (LoginDialog(MainWindow) == 2) {
      ReleaseSurfaces();
      return LoginOutcome::Ended;
    }
    if (ConnectServer(ServiceHost.c_str(), kGameServerPort) == -1) {
      EndLogin();
      return LoginOutcome::Ended;
    }
    std::snprintf(buffer, sizeof LoginAnswer, "l%s,%s", SessionIdentity.login_id.c_str(),
                  SessionIdentity.password.c_str());
    char request[sizeof LoginAnswer];
    std::memcpy(request, buffer, sizeof LoginAnswer);
    ReceiveMessage(buffer);
    SendRequest(request);

    const int length = AwaitLoginAnswer(buffer);
    LoginAnswerLength = length;
    if (length <= 0) {
      EndLogin();
      platform::MessageBox(MainWindow, "サーバが応答しません。", "エラー", platform::MB_ICONHAND);
      return LoginOutcome::Ended;
    }
    // The first byte is the server's type letter; the fields follow it.
    const WireFields fields = SplitWireFields(std::string_view(buffer + 1, static_cast<std::size_t>(length - 1)));
    const int result = fields.count > 0 ? ReadWireInt(fields.field[0]) : 0;
    OwnAvatar.user_number = result;
    if (result < 0) {
      CloseConnection();
      ShowLoginError(result);
      continue;
    }
    if (!AcceptLoginAnswer(fields)) {
      CloseConnection();
      platform::MessageBox(MainWindow, "サーバからのログイン応答が不完全です。もう一度ログインしてください。",
                           "ログインエラー", platform::MB_ICONHAND);
      continue;
    }
    // Field 4 names the newest client version; a newer one has been fetched
    // and started, and this client ends.
    if (CheckForUpdate(fields.field[3]) == 1) {
      EndLogin();
      return LoginOutcome::Ended;
    }
    TakeOwnCharacter(fields);
    return LoginOutcome::Accepted;
  }
}
