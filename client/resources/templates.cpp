#include "client/resources/templates.h"

namespace resources {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr unsigned kEditStyle = platform::kStyleBorder | platform::kStyleTabStop | platform::kStyleAutoHScroll;

// Template order is tab order: login ID, password, log in, quit.
constexpr ControlTemplate kLoginControls[] = {
    {kLoginIdEdit, ControlKind::Edit, kEditStyle, 52, 40, 52, 14, ""},
    {kPasswordEdit, ControlKind::Edit, kEditStyle | platform::kStylePassword, 52, 62, 52, 14, ""},
    {1, ControlKind::ImageButton, platform::kStyleTabStop, 5, 87, 28, 34, "ログイン", kLoginButtonPicture},
    {2, ControlKind::ImageButton, platform::kStyleTabStop, 126, 87, 28, 34, "終　了", kQuitButtonPicture},
    {kRegisterButton, ControlKind::Button, 0, 1, 1, 52, 13, "新規登録"},
    {kLostPasswordButton, ControlKind::Button, 0, 53, 1, 52, 13, "ﾊﾟｽﾜｰﾄﾞ忘れ"},
    {kHowToButton, ControlKind::Button, 0, 105, 1, 52, 13, "使い方"},
    {kCommunityButton, ControlKind::Button, 0, 1, 15, 52, 13, "ｺﾐｭﾆﾃｨ"},
    {kHomePageButton, ControlKind::Button, 0, 53, 15, 52, 13, "公式 HP"},
    {kFaqButton, ControlKind::Button, 0, 105, 15, 52, 13, "FAQ"},
    {1023, ControlKind::Label, 0, 8, 43, 34, 8, "ログインID："},
    {1022, ControlKind::Label, 0, 8, 65, 35, 8, "パスワード："},
    {-1, ControlKind::Picture, platform::kStyleBorder, 113, 40, 42, 37, nullptr, kLoginPicture},
    {-1, ControlKind::Picture, 0, 35, 94, 89, 24, nullptr, kLoginBanner},
};

}  // namespace

const platform::DialogTemplate LoginDialogTemplate = {
    kLoginDialogId, "☆彡 ログイン ☆彡", "ＭＳ Ｐゴシック", 9, 159, 130,
    {255, 255, 204}, false, kLoginControls};

constexpr unsigned kChildStyle = platform::kStyleBorder | platform::kStyleTabStop;
const ControlTemplate ChatInputControl = {kChatInputId, ControlKind::Edit, kChildStyle, 5, 480, 485, 25, ""};
const ControlTemplate SendButtonControl = {kSendButtonId, ControlKind::Button,
                                          kChildStyle | platform::kStyleDefault, 490, 479, 50, 26, " 送信 "};
const ControlTemplate ModeButtonControl = {kModeButtonId, ControlKind::Button,
                                          kChildStyle | platform::kStyleBitmap, 547, 479, 80, 26, ""};

}  // namespace resources
