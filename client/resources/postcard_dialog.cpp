#include "client/resources/postcard_dialog.h"

namespace resources {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr unsigned kButton = platform::kStyleTabStop;

constexpr ControlTemplate kPostcardControls[] = {
    {-1, ControlKind::Picture, 0, 5, 12, 18, 18, nullptr, kStampPicture},
    {-1, ControlKind::Label, 0, 28, 15, 25, 8, "送信先："},
    {kRecipientList, ControlKind::DropDownList, platform::kStyleSort | platform::kStyleTabStop, 57, 13, 104, 164,
     ""},
    {kDeleteFriendButton, ControlKind::Button, kButton, 167, 13, 58, 13, "友達登録の削除"},
    {-1, ControlKind::Label, 0, 30, 36, 23, 8, "件 名 ："},
    {kSubjectEdit, ControlKind::Edit, platform::kStyleBorder | platform::kStyleAutoHScroll | platform::kStyleTabStop,
     55, 33, 155, 13, ""},
    {kMessageEdit, ControlKind::Edit,
     platform::kStyleMultiLine | platform::kStyleWantReturn | platform::kStyleBorder | platform::kStyleVScroll |
         platform::kStyleHScroll | platform::kStyleTabStop,
     5, 51, 220, 123, ""},
    {kSendResultLine, ControlKind::Label, 0, 5, 178, 220, 11, ""},
    {kSendButton, ControlKind::Button, kButton | platform::kStyleDefault, 48, 196, 50, 14, "送　信"},
    {2, ControlKind::Button, kButton, 131, 196, 50, 14, "ｷｬﾝｾﾙ"},
};

}  // namespace

const platform::DialogTemplate PostcardDialogTemplate = {
    kPostcardDialogId, "メール送信", "ＭＳ Ｐゴシック", 9, 231, 217, {236, 233, 216}, false, kPostcardControls};

}  // namespace resources
