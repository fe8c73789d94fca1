// Layout of the chat log window and its pictures.
#pragma once
#include "client/platform/dialog_template.h"

namespace resources {

inline constexpr int kChatLogDialogId = 102;
inline constexpr int kClearLogButton = 1015;
inline constexpr int kSaveLogButton = 1016;
inline constexpr int kChatLogBanner = 1021;
inline constexpr int kChatLogBox = 139;

// Pictures (see tools/artgen).
inline constexpr int kSaveLogPicture = 112;
inline constexpr int kClearLogPicture = 113;
inline constexpr int kChatLogBannerPicture = 117;

extern const platform::DialogTemplate ChatLogDialogTemplate;

// The log box, added when the window is created; its place and size follow
// the window's client area.
extern const platform::ControlTemplate ChatLogBoxControl;

}  // namespace resources
