#include "client/resources/items_dialog.h"

namespace resources {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;

constexpr ControlTemplate kItemsControls[] = {
    {1, ControlKind::Button, platform::kStyleTabStop | platform::kStyleDefault, 148, 88, 50, 14, "OK"},
    {2, ControlKind::Button, platform::kStyleTabStop, 210, 88, 50, 14, "ｷｬﾝｾﾙ"},
    {kItemsHint, ControlKind::Label, 0, 7, 90, 131, 8, "ダブルクリックでアイテムを選択してください。"},
    {kItemsTabs, ControlKind::TabControl, platform::kStyleTabStop, 5, 1, 255, 101, ""},
};

}  // namespace

const platform::DialogTemplate ItemsDialogTemplate = {
    kItemsDialogId, "持ち物リスト", "ＭＳ Ｐゴシック", 9, 267, 109, {236, 233, 216}, true, kItemsControls};

const ControlTemplate ItemsListControl = {kItemsList, ControlKind::ListView, platform::kStyleTabStop, 12, 25, 440,
                                          100, ""};

}  // namespace resources
