// The drawing surfaces of the scene.
#pragma once
#include <cstdint>

inline constexpr int kSceneWidth = 640;
inline constexpr int kSceneHeight = 480;

// The 640 x 480 frame being composed, 32-bit 0x00RRGGBB pixels.
extern std::uint32_t BackBuffer[kSceneWidth * kSceneHeight];

// Sets up drawing for the main window; 1 on success, 0 on failure. Also
// starts the step clock.
int InitSurfaces();
void ReleaseSurfaces();
// Reports a failed set-up to the user and closes the main window; returns 0.
int ReportDrawingFailure();
