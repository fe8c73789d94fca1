#include "client/world/main_window.h"

#include "client/resources/templates.h"
#include "client/session/connection.h"
#include "client/session/program.h"
#include "client/world/frame.h"
#include "client/world/scene_clicks.h"
#include "client/world/surfaces.h"
#include "client/world/walking.h"

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

  // Nothing is painted here (the scene comes from the frame); a repaint
  // notices when the keyboard went to the chat input or the send button.
  void OnPaint(platform::WindowHandle) override {
    const platform::WindowHandle focus = platform::GetFocus();
    if (focus && (focus == ChatInput || focus == SendButton)) MoveMode = false;
  }

  void OnKeyDown(platform::WindowHandle, int virtual_key) override { HandleWalkKey(virtual_key); }

  void OnChar(platform::WindowHandle, int character) override {
    if (character != platform::VK_TAB) return;
    MoveMode = false;
    SetModeButtonImage(ModeButton, false);
    platform::SetFocus(ChatInput);
  }

  void OnCommand(platform::WindowHandle window, int id) override {
    switch (id) {
      case resources::kSendButtonId:
        SendChatLine(window);
        platform::SetFocus(ChatInput);
        break;
      case resources::kChatInputId:  // any notification: focus gained or lost, text changed
        // Speech mode. The input method is not switched on here: GTK gives a
        // program no call for that, and the desktop's input method stays
        // available in the chat input as the user set it.
        MoveMode = false;
        SetModeButtonImage(ModeButton, false);
        break;
      case resources::kModeButtonId:
        if (MoveMode) {
          MoveMode = false;
          platform::SetFocus(ChatInput);
        } else {
          MoveMode = true;
          platform::SetFocus(window);
        }
        SetModeButtonImage(ModeButton, MoveMode);
        break;
      default:
        break;
    }
  }

  void OnLeftButtonUp(platform::WindowHandle, int x, int y) override { HandleSceneClick(x, y); }
};

}  // namespace

platform::MainWindowProc& TheMainWindowProc() {
  static MainWindowProcedure procedure;
  return procedure;
}
