// Layout of the update progress window.
#pragma once
#include "client/platform/dialog_template.h"

namespace resources {

inline constexpr int kUpdateDialogId = 125;
inline constexpr int kUpdateStatusText = 1032;     // connection status
inline constexpr int kUpdateByteCountText = 1034;  // bytes received so far
inline constexpr int kUpdatePercentText = 1035;    // share of the package received
extern const platform::DialogTemplate UpdateDialogTemplate;

}  // namespace resources
