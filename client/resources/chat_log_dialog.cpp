#include "client/resources/chat_log_dialog.h"

namespace resources {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr ControlTemplate kChatLogControls[] = {
    {kClearLogButton, ControlKind::Button, platform::kStyleBitmap, 4, 1, 68, 18, "ログ消去"},
    {kSaveLogButton, ControlKind::Button, platform::kStyleBitmap, 83, 1, 68, 18, "ログ保存"},
    {kChatLogBanner, ControlKind::Picture, 0, 3, 1, 107, 17, nullptr, kChatLogBannerPicture},
};

}  // namespace

const platform::DialogTemplate ChatLogDialogTemplate = {
    kChatLogDialogId, "チャットログ", "ＭＳ ゴシック", 8, 156, 367, {236, 233, 216}, false, kChatLogControls,
    true};

const ControlTemplate ChatLogBoxControl = {
    kChatLogBox, ControlKind::Edit,
    platform::kStyleMultiLine | platform::kStyleReadOnly | platform::kStyleVScroll | platform::kStyleHScroll,
    0, 27, 0, 0, ""};

}  // namespace resources
