#include "client/sidewindows/profile_window.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "client/community/friends.h"
#include "client/platform/files.h"
#include "client/platform/text.h"
#include "client/resources/profile_dialog.h"
#include "client/session/connection.h"
#include "client/session/login.h"
#include "client/session/service.h"
#include "client/session/startup.h"
#include "client/session/wire_fields.h"
#include "client/world/world_state.h"

int ProfileUserNumber = 0;
char ProfileHandleName[kProfileHandleNameSize] = {};

namespace {

constexpr std::size_t kProfileTextMax = 127;
constexpr std::size_t kPointsMax = 31;
constexpr int kProfileFields = 4;

platform::WindowHandle profile_window = nullptr;

// Room for a request one byte too long, so that the length tells.
constexpr std::size_t kUpdateBufferSize = kMaxProfileRequest + 2;

// Builds "u" into request and returns the length the whole request needs.
int FormatProfileUpdate(char (&request)[kUpdateBufferSize], int user_number, std::string_view profile_text,
                        std::string_view points) {
  return std::snprintf(request, sizeof request, "u%d,%.*s,%.*s", user_number,
                       static_cast<int>(profile_text.size()), profile_text.data(), static_cast<int>(points.size()),
                       points.data());
}

bool IsOwnProfile() { return ProfileUserNumber == OwnAvatar.user_number; }

void CloseProfileWindow() {
  platform::DestroyWindow(profile_window);
  profile_window = nullptr;
}

void ShowControl(platform::WindowHandle dialog, int id, bool shown) {
  platform::ShowWindow(platform::GetDlgItem(dialog, id), shown ? platform::Show::Normal : platform::Show::Hide);
}

// OK on the own profile stores the text; false keeps the window open.
bool StoreOwnProfile(platform::WindowHandle dialog) {
  std::string text = platform::GetDlgItemText(dialog, resources::kProfileTextEdit, kProfileTextMax);
  if (text.empty()) text = kNoProfileText;
  if (!CheckNoComma(dialog, text)) return false;
  const std::string points = platform::GetDlgItemText(dialog, resources::kProfilePointsEdit, kPointsMax);
  char request[kUpdateBufferSize];
  if (FormatProfileUpdate(request, OwnAvatar.user_number, text, points) > kMaxProfileRequest) {
    platform::MessageBox(dialog, "プロファイルが長すぎます。短くしてください。", "確 認",
                         platform::MB_ICONEXCLAMATION);
    return false;
  }
  SendProfileUpdate(OwnAvatar.user_number, text, points);
  return true;
}

void OpenCommunityPage(platform::WindowHandle dialog) {
  char path[64];
  std::snprintf(path, sizeof path, "/userinfo.php?uid=%d", ProfileUserNumber);
  if (!platform::OpenInBrowser(CommunityPageUrl(path))) {
    platform::MessageBox(dialog, "ブラウザの起動に失敗しました。", "エラー", platform::MB_ICONHAND);
  }
}

void RegisterShownFriend(platform::WindowHandle dialog) {
  if (RegisterFriend(ProfileHandleName, ProfileUserNumber) == 1) {
    platform::MessageBox(dialog, "既に登録されています。", "確　認", platform::MB_ICONEXCLAMATION);
  }
}

class ProfileProc : public platform::DialogProc {
 public:
  void OnInitDialog(platform::WindowHandle dialog) override {
    const bool own = IsOwnProfile();
    ShowControl(dialog, resources::kRegisterFriendButton, !own);
    for (int id : {resources::kProfilePointsEdit, resources::kProfileHealthEdit, resources::kProfilePointsLabel,
                   resources::kProfileHealthLabel}) {
      ShowControl(dialog, id, own);
    }
    if (!own) platform::SetEditReadOnly(platform::GetDlgItem(dialog, resources::kProfileTextEdit), true);
  }

  void OnCommand(platform::WindowHandle dialog, int id) override {
    switch (id) {
      case platform::IDOK:
        if (IsOwnProfile() && !StoreOwnProfile(dialog)) return;
        CloseProfileWindow();
        break;
      case resources::kCommunityPageButton:
        OpenCommunityPage(dialog);
        break;
      case resources::kRegisterFriendButton:
        RegisterShownFriend(dialog);
        break;
      default:
        break;
    }
  }
};

ProfileProc profile_proc;

}  // namespace

platform::WindowHandle GetProfileWindow() { return profile_window; }

void ToggleProfileWindow(platform::WindowHandle owner, int user_number) {
  if (profile_window) {
    CloseProfileWindow();
    return;
  }
  if (user_number == 0) return;
  ProfileUserNumber = user_number;
  if (SendProfileQuery(user_number) != 0) {
    platform::MessageBox(owner, "情報の問合せに失敗しました。", "エラー", platform::MB_ICONHAND);
    return;
  }
  profile_window = platform::CreateModelessDialog(resources::ProfileDialogTemplate, owner, profile_proc);
  platform::ShowWindow(profile_window, platform::Show::Normal);
  CenterWindow(profile_window, -50, -300);
}

// Fields that the message lacks stay empty.
void HandleProfileMessage(char* text) {
  if (!profile_window) return;
  const WireFields fields = SplitWireFields(text, kProfileFields);
  std::string_view field[kProfileFields];
  for (int i = 0; i < fields.count; ++i) field[i] = fields.field[i];
  const std::string_view handle = platform::Cp932Prefix(field[0], kProfileHandleNameSize - 1);
  std::memcpy(ProfileHandleName, handle.data(), handle.size());
  ProfileHandleName[handle.size()] = '\0';

  platform::SetDlgItemText(profile_window, resources::kProfileTextEdit, field[1]);
  platform::SetDlgItemText(profile_window, resources::kProfileHandleEdit, field[0]);
  if (!IsOwnProfile()) {
    platform::SetDlgItemText(profile_window, resources::kProfilePointsEdit, "^^");
    platform::SetDlgItemText(profile_window, resources::kProfileHealthEdit, "^^");
    return;
  }
  platform::SetDlgItemText(profile_window, resources::kProfilePointsEdit, field[2]);
  const std::string health = field[3].empty() ? std::string() : std::to_string(ReadWireInt(field[3]) / 100);
  platform::SetDlgItemText(profile_window, resources::kProfileHealthEdit, health);
}

int SendProfileQuery(int user_number) {
  char request[kMaxProfileRequest + 1];
  std::snprintf(request, sizeof request, "q%d", user_number);
  return SendRequest(request);
}

int SendProfileUpdate(int user_number, std::string_view profile_text, std::string_view points) {
  char request[kUpdateBufferSize];
  const int length = FormatProfileUpdate(request, user_number, profile_text, points);
  if (length < 0 || length > kMaxProfileRequest) return -1;
  return SendRequest(request);
}
