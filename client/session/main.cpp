#include "client/platform/ui.h"
#include "client/session/startup.h"

int main(int argc, char** argv) { return platform::RunApplication(argc, argv, ProgramEntry); }
