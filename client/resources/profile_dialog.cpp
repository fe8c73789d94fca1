#include "client/resources/profile_dialog.h"

namespace resources {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr unsigned kShownValue = platform::kStyleReadOnly | platform::kStyleCentre | platform::kStyleBorder;

// The friend button shares its place with the points and health controls:
// only one of the two sets is shown.
constexpr ControlTemplate kProfileControls[] = {
    {kProfileHandleEdit, ControlKind::Edit, kShownValue, 6, 0, 94, 13, ""},
    {kProfileTextEdit, ControlKind::Edit, platform::kStyleBorder | platform::kStyleTabStop, 105, 0, 156, 31, ""},
    {kProfilePointsLabel, ControlKind::Label, 0, 7, 19, 34, 8, "ポイント："},
    {kProfilePointsEdit, ControlKind::Edit, kShownValue, 42, 16, 58, 13, ""},
    {kProfileHealthLabel, ControlKind::Label, 0, 7, 33, 34, 8, "健康度："},
    {kProfileHealthEdit, ControlKind::Edit, kShownValue, 42, 32, 58, 13, ""},
    {kRegisterFriendButton, ControlKind::Button, platform::kStyleTabStop, 6, 16, 94, 31, "友達登録"},
    {1, ControlKind::Button, platform::kStyleTabStop | platform::kStyleDefault, 105, 34, 53, 14, "OK"},
    {kCommunityPageButton, ControlKind::Button, platform::kStyleTabStop, 159, 34, 105, 14,
     "ソラモ連合のHPﾌﾟﾛﾌｧｲﾙを見る"},
};

}  // namespace

const platform::DialogTemplate ProfileDialogTemplate = {
    kProfileDialogId, "プロファイル", "ＭＳ Ｐゴシック", 9, 265, 49, {236, 233, 216}, false, kProfileControls};

}  // namespace resources
