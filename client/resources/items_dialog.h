// Layout of the items window.
#pragma once
#include "client/platform/dialog_template.h"

namespace resources {

inline constexpr int kItemsDialogId = 124;
inline constexpr int kItemsHint = 1022;
inline constexpr int kItemsTabs = 1029;
inline constexpr int kItemsList = 1014;

extern const platform::DialogTemplate ItemsDialogTemplate;

// The icon grid, added when the window opens (client pixels).
extern const platform::ControlTemplate ItemsListControl;

}  // namespace resources
