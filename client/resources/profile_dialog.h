// Layout of the profile window.
#pragma once
#include "client/platform/dialog_template.h"

namespace resources {

inline constexpr int kProfileDialogId = 113;
inline constexpr int kProfileHealthEdit = 1000;
inline constexpr int kProfileHandleEdit = 1003;
inline constexpr int kProfileTextEdit = 1004;
inline constexpr int kCommunityPageButton = 1005;
inline constexpr int kProfilePointsEdit = 1006;
inline constexpr int kRegisterFriendButton = 1012;
inline constexpr int kProfilePointsLabel = 1013;
inline constexpr int kProfileHealthLabel = 1014;

extern const platform::DialogTemplate ProfileDialogTemplate;

}  // namespace resources
