#include "client/resources/update_dialog.h"

namespace resources {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

// The group box around the waiting lines (8,10, 170 x 61) stands here as
// its caption line alone: the templates have no group box kind.
constexpr ControlTemplate kUpdateControls[] = {
    {-1, ControlKind::Label, 0, 8, 10, 170, 9, "Posyvaleの最新バージョンをダウンロード中です。"},
    {-1, ControlKind::Label, 0, 36, 27, 113, 9, "しばらくお待ちください。。。"},
    {kUpdateByteCountText, ControlKind::Label, 0, 11, 40, 164, 12, ""},
    {kUpdatePercentText, ControlKind::Label, 0, 71, 54, 45, 10, ""},
    {kUpdateStatusText, ControlKind::Label, 0, 8, 80, 170, 12, ""},
};

}  // namespace

const platform::DialogTemplate UpdateDialogTemplate = {
    kUpdateDialogId, "Posyvale ｵｰﾄｱｯﾌﾟﾃﾞｰﾄ", "ＭＳ Ｐゴシック", 9, 187, 95,
    {236, 233, 216}, true, kUpdateControls};

}  // namespace resources
