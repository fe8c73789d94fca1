#include "client/session/program.h"

platform::WindowHandle MainWindow = nullptr;
std::string InstallDir;
bool MoveMode = true;
