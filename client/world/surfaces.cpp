#include "client/world/surfaces.h"

#include "client/platform/clock.h"
#include "client/platform/ui.h"
#include "client/session/program.h"
#include "client/session/startup.h"

std::uint32_t BackBuffer[kSceneWidth * kSceneHeight];

int InitSurfaces() {
  StepClock = static_cast<double>(platform::TickCount());
  return 1;
}

void ReleaseSurfaces() {}

int ReportDrawingFailure() {
  ReleaseSurfaces();
  platform::MessageBox(MainWindow, "DirectXの初期化に失敗しました。", "確認", platform::MB_OK);
  platform::DestroyWindow(MainWindow);
  return 0;
}
