#include "client/session/startup.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "client/platform/clock.h"
#include "client/platform/files.h"
#include "client/resources/templates.h"
#include "client/session/connection.h"
#include "client/session/login.h"
#include "client/session/program.h"
#include "client/session/service.h"
#include "client/session/settings.h"
#include "client/sidewindows/chat_log.h"
#include "client/world/frame.h"
#include "client/world/main_window.h"
#include "client/world/surfaces.h"
#include "client/world/world_state.h"

double StepClock = 0.0;

namespace {

// The tick's receive buffer: any body plus its terminating zero.
char tick_buffer[256];

void EndAfterDisconnect() {
  platform::MessageBox(MainWindow, "サーバセッションが切断されました。", "エラー", platform::MB_ICONHAND);
  platform::ExitProcessNow(-1);
}

}  // namespace

int CreateMainWindow() {
  const std::string title = std::string(kMainWindowClass) + "  " + kVersionText;
  MainWindow = platform::CreateMainWindow(title, resources::kProgramIcon, 640, 480, 510, TheMainWindowProc());
  if (!MainWindow) return 0;
  platform::ShowWindow(MainWindow, platform::Show::Normal);
  return 1;
}

void CloseScreenSaver() { platform::ResetScreenSaver(); }

int AdvanceStepClock(std::uint32_t now, void (*step)()) {
  const double clock = static_cast<double>(now);
  if (clock < StepClock) StepClock = clock;
  double elapsed = std::fabs(clock - StepClock);
  int steps = 0;
  while (elapsed >= kStepLength) {
    elapsed -= kStepLength;
    StepClock += kStepLength;
    ++steps;
    step();
  }
  return steps;
}

// One idle pass of the main loop. The connection is read until it stops
// making progress or a bounded number of messages came, so a busy map never
// lets the scene fall behind; each message is handled in arrival order
// before the scene is drawn.
void MainLoopTick() {
  for (int delivered = 0; delivered < kMaxMessagesPerTick;) {
    const std::uint32_t pending_before = PendingBodyLength;
    const int length = ReceiveMessage(tick_buffer);
    if (length == 0) EndAfterDisconnect();
    if (length > 0) {
      tick_buffer[length] = '\0';
      DispatchServerMessage(tick_buffer);
      LogChatMessage(tick_buffer, length);
      ++delivered;
      continue;
    }
    if (PendingBodyLength == pending_before) break;  // nothing more has arrived
  }
  if (AdvanceStepClock(platform::TickCount(), CheckF1Key) > 0) {
    RenderFrame(OwnAvatar.rect.left, OwnAvatar.rect.top, OwnAvatar.rect.right, OwnAvatar.rect.bottom);
  }
  platform::SleepMs(10);
}

void CheckF1Key() {
  if (!MainWindow || platform::GetActiveWindow() != MainWindow || !platform::IsKeyDown(platform::VK_F1)) return;
  platform::SetFocus(MainWindow);
  MoveMode = true;
  SetModeButtonImage(ModeButton, true);
}

int CenterWindow(platform::WindowHandle window, int dx, int dy) {
  if (!window) return 0;
  const platform::Rect desktop = platform::GetDesktopRect();
  const platform::Rect own = platform::GetWindowRect(window);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  platform::MoveWindowOnTop(window, dx + (desktop.right - width) / 2, dy + (desktop.bottom - height) / 2);
  return 0;
}

std::string ViewerCommandLine(int width, int height, std::string_view title, std::string_view url) {
  char text[256];
  std::snprintf(text, sizeof text, "%d@%d@%.*s@%.*s\n", width, height, static_cast<int>(title.size()),
                title.data(), static_cast<int>(url.size()), url.data());
  return text;
}

int OpenPageViewer(int width, int height, std::string_view title, std::string_view url) {
  const std::string command = ViewerCommandLine(width, height, title, url);
  platform::StartProgram(InstallDir + "Posyvales", {command, command}, InstallDir);
  return 0;
}

int ProgramEntry() {
  if (platform::AnotherInstanceRunning(kMainWindowClass)) return 0;
  if (!CreateMainWindow()) return 0;
  platform::SetInstanceWindow(MainWindow);
  CloseScreenSaver();
  if (!InitSurfaces()) {
    ReportDrawingFailure();
    return 0;
  }
  InstallDir = platform::ProgramFolder();
  LoadServiceEndpoints();
  SetupSettingsPath();
  LoadRememberedLogin();
  if (LoginLoop() != LoginOutcome::Accepted) return 0;

  OpenPageViewer(450, 320, "-", ServicePageUrl("/oshirase/oshirase.htm"));
  CreateChatLogWindow(MainWindow);
  platform::ShowWindow(GetChatLogWindow(), platform::Show::NoActivate);
  LogChatMessage(LoginAnswer, LoginAnswerLength);
  CenterWindow(GetChatLogWindow(), 360, 0);
  CenterWindow(MainWindow, -80, 0);
  return platform::RunMessageLoop(MainLoopTick);
}
