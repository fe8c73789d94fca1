// Layout of the postcard mailbox and its pictures.
#pragma once
#include "client/platform/dialog_template.h"

namespace resources {

inline constexpr int kMailboxDialogId = 1013;
inline constexpr int kCardViewer = 1001;
inline constexpr int kMailboxCloseButton = 1010;
inline constexpr int kDeleteCardButton = 1011;
inline constexpr int kReplyButton = 1012;
inline constexpr int kNewCardButton = 1013;
inline constexpr int kReceiveButton = 1014;
// The card list carries the receive button's id; the window reaches it by
// its handle only.
inline constexpr int kCardList = 1014;

// Small pictures of the card list (see tools/artgen): a sheet of text lines
// for a read card, a closed envelope for an unread one.
inline constexpr int kReadCardPicture = 135;
inline constexpr int kUnreadCardPicture = 136;

extern const platform::DialogTemplate MailboxDialogTemplate;

// The card list, added when the window opens (client pixels).
extern const platform::ControlTemplate CardListControl;

}  // namespace resources
