// Layout of the postcard send window.
#pragma once
#include "client/platform/dialog_template.h"

namespace resources {

inline constexpr int kPostcardDialogId = 107;
inline constexpr int kRecipientList = 117;
inline constexpr int kSubjectEdit = 1010;
inline constexpr int kMessageEdit = 1011;
inline constexpr int kSendButton = 1013;
inline constexpr int kSendResultLine = 1019;
inline constexpr int kDeleteFriendButton = 1020;

// The stamp with an envelope (see tools/artgen).
inline constexpr int kStampPicture = 114;

extern const platform::DialogTemplate PostcardDialogTemplate;

}  // namespace resources
