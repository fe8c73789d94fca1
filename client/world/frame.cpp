#include "client/world/frame.h"

#include <algorithm>

#include "client/platform/ui.h"
#include "client/session/program.h"
#include "client/world/surfaces.h"

namespace {
constexpr std::uint32_t kGroundColour = 0xFFFFFF;
}

void RenderFrame(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
  std::fill(std::begin(BackBuffer), std::end(BackBuffer), kGroundColour);
  platform::PresentScene(MainWindow, BackBuffer, kSceneWidth, kSceneHeight);
}
