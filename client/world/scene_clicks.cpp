#include "client/world/scene_clicks.h"

#include <cstdio>
#include <cstring>

#include "client/community/items_window.h"
#include "client/community/mailbox.h"
#include "client/platform/clock.h"
#include "client/platform/text.h"
#include "client/resources/templates.h"
#include "client/session/connection.h"
#include "client/session/login.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/startup.h"
#include "client/sidewindows/chat_log.h"
#include "client/sidewindows/profile_window.h"
#include "client/world/hot_zones.h"
#include "client/world/main_window.h"
#include "client/world/surfaces.h"
#include "client/world/world_state.h"

bool ChatLogShown = true;

namespace {

constexpr std::size_t kChatInputMax = 63;

void AskToEnd() {
  if (platform::MessageBox(MainWindow, "終了してもよいですか", "終了確認",
                           platform::MB_ICONQUESTION | platform::MB_YESNO) == platform::IDYES) {
    platform::DestroyWindow(MainWindow);
  }
}

void ToggleChatLog() {
  platform::ShowWindow(GetChatLogWindow(), ChatLogShown ? platform::Show::Hide : platform::Show::Normal);
  ChatLogShown = !ChatLogShown;
}

void OpenBoard() {
  const std::string url = ServicePageUrl(kBoardPage) + "?name=" + EscapeForViewer(OwnAvatar.handle_name) +
                          "&key2=Qilvor";
  OpenPageViewer(700, 500, "Posyvale_伝言版", url);
}

struct ClickZone {
  const HotZone& zone;
  void (*action)();
};

const ClickZone kClickZones[] = {
    {ExitZone, AskToEnd},
    {ItemsZone, [] {
       OpenItemsWindow(MainWindow);
       CenterWindow(GetItemsWindow(), 0, 0);
     }},
    {ChatLogZone, ToggleChatLog},
    {AboutZone, [] {
       platform::MessageBox(MainWindow, AboutText(), "バージョン情報", platform::MB_ICONASTERISK);
     }},
    {BoardZone, OpenBoard},
    {ItemShopZone, [] { OpenPageViewer(650, 500, "アイテムＳｈｏｐ", LoginPageUrl(kItemShopPage)); }},
    {GirlsCharacterZone, [] { OpenPageViewer(650, 500, "女の子用キャラクタ", LoginPageUrl(kGirlsCharacterPage)); }},
    {BoysCharacterZone, [] { OpenPageViewer(650, 500, "男の子用キャラクタ", LoginPageUrl(kBoysCharacterPage)); }},
    {MailboxZone, [] {
       OpenMailbox(MainWindow);
       CenterWindow(GetMailbox(), 0, 0);
     }},
};

// Puts the chosen present down where the user clicked: shown at once and
// told to the server.
void PlacePendingPresent(int x, int y) {
  char request[kMaxMessageLength + 1];
  std::snprintf(request, sizeof request, "a-%s,%d,%d,%d,%d", PendingPresentId, PresentAppearance, x, y,
                MapNumber);
  HandleArrivalMessage(request + 1);
  SendRequest(request);
  PendingPresentId[0] = '\0';
}

void PickUpPresent(int id) {
  char request[32];
  std::snprintf(request, sizeof request, "d%d", id);
  HandleDepartureMessage(request + 1);
  SendRequest(request);
}

// A click hits a character when its x lies inside the rectangle and y lies
// inside it shifted up by 2 pixels.
bool ClickHits(const SceneRect& rect, int x, int y) { return PointInZone(rect, x, y - 30) == 1; }

}  // namespace

std::string AboutText() {
  return std::string("\n") + kMainWindowClass + " " + kVersionText + "\n\n" + ServicePageUrl("/");
}

void HandleSceneClick(int x, int y) {
  if (PendingPresentId[0] != '\0') PlacePendingPresent(x, y);
  for (const ClickZone& click : kClickZones) {
    if (PointInZone(click.zone, x, y)) click.action();
  }
  for (int slot = 0; slot < kAvatarSlots; ++slot) {
    if (AvatarTable.rect[slot].top == 0 || !ClickHits(AvatarTable.rect[slot], x, y)) continue;
    const int id = AvatarTable.id[slot];
    if (id > 0) {
      ToggleProfileWindow(MainWindow, id);
    } else if (id < 0) {
      PickUpPresent(id);
    }
  }
  if (ClickHits(OwnAvatar.rect, x, y)) ToggleProfileWindow(MainWindow, OwnAvatar.user_number);
  // The focus goes first: the chat input losing it would switch to speech mode.
  platform::SetFocus(MainWindow);
  MoveMode = true;
  SetModeButtonImage(ModeButton, true);
}

void SendChatLine(platform::WindowHandle main_window) {
  const std::string typed = platform::GetDlgItemText(main_window, resources::kChatInputId, kChatInputMax);
  if (typed.empty()) return;
  char balloon[kBalloonTextSize];
  std::snprintf(balloon, sizeof balloon, "%s> %s", OwnAvatar.handle_name, typed.c_str());
  std::memcpy(OwnAvatar.balloon_text, balloon, sizeof balloon);
  if (!CheckNoComma(main_window, typed)) return;
  char request[kMaxMessageLength + 1];
  const int length = std::snprintf(request, sizeof request, "c%d,%s", OwnAvatar.user_number, balloon);
  SendRequest(request);
  OwnAvatar.balloon_expiry = platform::TickCount() + kBalloonLifetimeMs;
  LogChatMessage(request, length);
  platform::SetDlgItemText(main_window, resources::kChatInputId, "");
}
