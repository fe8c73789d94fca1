// Layouts of the client's windows and dialogs, and its picture resources.
#pragma once
#include "client/platform/dialog_template.h"

namespace resources {

// Picture resources (see tools/artgen).
inline constexpr int kLoginPicture = 108;
inline constexpr int kProgramIcon = 110;
inline constexpr int kSpeechModePicture = 118;
inline constexpr int kMoveModePicture = 119;
inline constexpr int kLoginButtonPicture = 120;
inline constexpr int kQuitButtonPicture = 121;
inline constexpr int kLoginBanner = 123;

// The login dialog and its control ids.
inline constexpr int kLoginDialogId = 104;
inline constexpr int kLoginIdEdit = 1001;
inline constexpr int kPasswordEdit = 1002;
inline constexpr int kRegisterButton = 1003;
inline constexpr int kLostPasswordButton = 1004;
inline constexpr int kHomePageButton = 1005;
inline constexpr int kCommunityButton = 1006;
inline constexpr int kHowToButton = 1007;
inline constexpr int kFaqButton = 1008;
extern const platform::DialogTemplate LoginDialogTemplate;

// The controls under the scene of the main window (client pixels).
inline constexpr int kChatInputId = 115;
inline constexpr int kSendButtonId = 1;
inline constexpr int kModeButtonId = 1007;
extern const platform::ControlTemplate ChatInputControl;
extern const platform::ControlTemplate SendButtonControl;
extern const platform::ControlTemplate ModeButtonControl;

}  // namespace resources
