// Files, folders, processes and the desktop shell.
#pragma once
#include <string>
#include <vector>

namespace platform {

// The folder of the running program file, with a trailing "/".
std::string ProgramFolder();

bool FileExists(const std::string& path);

// Starts a program and does not wait for it. args[0] is the program's
// argument 0; the program itself is found at path.
bool StartProgram(const std::string& path, const std::vector<std::string>& args,
                  const std::string& working_folder = {});

// Opens an address in the user's web browser; false when no browser could
// be started.
bool OpenInBrowser(const std::string& url);

// Plays a WAV file in the background; nothing happens without a device.
void PlayWaveAsync(const std::string& path);

// Ends the process at once with the given code, releasing nothing.
[[noreturn]] void ExitProcessNow(int code);

}  // namespace platform
