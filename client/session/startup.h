// Program start, the main loop and small window services used everywhere.
#pragma once
#include <cstdint>
#include <string_view>

#include "client/platform/ui.h"

inline constexpr char kMainWindowClass[] = "Posyvale Client Program";
inline constexpr char kVersionText[] = "Ver 1.6";

// The time in milliseconds up to which fixed steps have been taken.
extern double StepClock;
inline constexpr double kStepLength = 16.7;

// Most messages one tick takes from the connection before it draws.
inline constexpr int kMaxMessagesPerTick = 64;

// The client program: from start to its exit code.
int ProgramEntry();

int CreateMainWindow();
void CloseScreenSaver();
void MainLoopTick();
void CheckF1Key();

// Takes every 16.7 ms step that is due at `now`, running step() for each,
// and returns how many were taken. A clock below the step clock (the
// millisecond counter wrapped around) restarts it at now.
int AdvanceStepClock(std::uint32_t now, void (*step)());

// Centres a window on the desktop, shifted by (dx, dy), and shows it on top.
int CenterWindow(platform::WindowHandle window, int dx, int dy);

// The command text handed to the page viewer: "width@height@title@URL\n".
std::string ViewerCommandLine(int width, int height, std::string_view title, std::string_view url);
// Starts the page viewer for a page; the outcome is not examined.
int OpenPageViewer(int width, int height, std::string_view title, std::string_view url);
