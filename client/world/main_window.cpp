#include "client/world/main_window.h"

#include "client/resources/templates.h"
#include "client/session/connection.h"
#include "client/session/program.h"
#include "client/world/frame.h"
#include "client/world/surfaces.h"

platform::WindowHandle ChatInput = nullptr;
platform::WindowHandle SendButton = nullptr;
platform::WindowHandle ModeButton = nullptr;

void SetModeButtonImage(platform::WindowHandle button, bool move_mode) {
  platform::SetButtonBitmap(button, move_mode ? resources::kMoveModePicture : resources::kSpeechModePicture);
}

namespace {

class MainWindowProcedure : public platform::MainWindowProc {
 public:
  void OnCreate(platform::WindowHandle window) override {
    ChatInput = platform::CreateChildControl(window, resources::ChatInputControl);
    SendButton = platform::CreateChildControl(window, resources::SendButtonControl);
    ModeButton = platform::CreateChildControl(window, resources::ModeButtonControl);
    SetModeButtonImage(ModeButton, MoveMode);
  }

  void OnDestroy(platform::WindowHandle) override {
    platform::SetInstanceWindow(nullptr);
    ReleaseSurfaces();
    platform::PostQuitMessage(0);
  }

  void OnTimer(platform::WindowHandle, int) override { SendKeepAlive(); }

  void OnMove(platform::WindowHandle) override { UpdateScreenRect(); }
  void OnPaint(platform::WindowHandle) override {}
  void OnKeyDown(platform::WindowHandle, int) override {}
  void OnChar(platform::WindowHandle, int) override {}
  void OnCommand(platform::WindowHandle, int) override {}
  void OnLeftButtonUp(platform::WindowHandle, int, int) override {}
};

}  // namespace

platform::MainWindowProc& TheMainWindowProc() {
  static MainWindowProcedure procedure;
  return procedure;
}
