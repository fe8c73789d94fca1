#include "client/resources/update_dialog.h"

namespace resources {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr unsigned kCentred = platform::kStyleCentre;
constexpr ControlTemplate kUpdateControls[] = {
    {-1, ControlKind::GroupBox, 0, 8, 10, 170, 61, "Posyvaleの最新バージョンをダウンロード中です。"},
    {-1, ControlKind::Label, kCentred, 36, 27, 113, 9, "しばらくお待ちください。。。"},
    {kUpdateByteCountText, ControlKind::Label, kCentred, 11, 40, 164, 12, ""},
    {kUpdatePercentText, ControlKind::Label, kCentred, 71, 54, 45, 10, ""},
    {kUpdateStatusText, ControlKind::Label, kCentred, 8, 80, 170, 12, ""},
};

}  // namespace

const platform::DialogTemplate UpdateDialogTemplate = {
    kUpdateDialogId, "Posyvale ｵｰﾄｱｯﾌﾟﾃﾞｰﾄ", "ＭＳ Ｐゴシック", 9, 187, 95,
    {236, 233, 216}, true, kUpdateControls};

}  // namespace resources
