#include "client/resources/mailbox_dialog.h"

namespace resources {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr unsigned kButton = platform::kStyleTabStop;

constexpr ControlTemplate kMailboxControls[] = {
    {kMailboxCloseButton, ControlKind::Button, kButton, 32, 94, 39, 14, "終　了"},
    {kDeleteCardButton, ControlKind::Button, kButton, 78, 94, 39, 14, "削　除"},
    {kReplyButton, ControlKind::Button, kButton, 124, 94, 39, 14, "返　信"},
    {kReceiveButton, ControlKind::Button, kButton, 170, 94, 39, 14, "受　信"},
    {kNewCardButton, ControlKind::Button, kButton, 216, 94, 39, 14, "送　信"},
    {kCardViewer, ControlKind::Edit,
     platform::kStyleMultiLine | platform::kStyleReadOnly | platform::kStyleBorder | platform::kStyleVScroll |
         platform::kStyleHScroll,
     7, 117, 273, 91, ""},
};

}  // namespace

const platform::DialogTemplate MailboxDialogTemplate = {
    kMailboxDialogId, "はがき受信", "ＭＳ Ｐゴシック", 9, 287, 215, {236, 233, 216}, true, kMailboxControls};

const ControlTemplate CardListControl = {kCardList, ControlKind::ListView,
                                         platform::kStyleReport | platform::kStyleTabStop, 0, 0, 500, 130, ""};

}  // namespace resources
