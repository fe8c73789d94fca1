// Driving real client programs on the test's X display: installations of
// their own, windows found by title, keys, and screen captures.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

long long NowMs();

// The id of a shown window whose title starts with `title` (CP932), waiting
// up to timeout_ms; empty when none appeared.
std::string FindWindow(const std::string& title, int timeout_ms);
// Every window whose title starts with `title`, shown or not.
std::vector<std::string> FindWindows(const std::string& title);
bool WaitGone(const std::string& title, int timeout_ms);
// The window of a process whose title starts with `title`, waiting up to
// timeout_ms; empty when none appeared.
std::string FindWindowOf(pid_t pid, const std::string& title, int timeout_ms);

// Gives the window the keyboard and types the keys (xdotool key names).
void SendKeys(const std::string& window, const std::string& keys);
// Types text into the window that has the keyboard.
void TypeText(const std::string& window, const std::string& text);

// The top-left width x height pixels of a window as 0x00RRGGBB, row by row;
// empty when the capture failed.
std::vector<std::uint32_t> CaptureWindow(const std::string& window, int width, int height);

// Waits for a child process to end: its raw wait status, or -1 on time-out.
int WaitExit(pid_t pid, int timeout_ms);

// A copy of the staged installation with a process of the client in it.
class ClientInstall {
 public:
  ClientInstall();
  ~ClientInstall();  // ends the client and every program it started
  ClientInstall(const ClientInstall&) = delete;
  ClientInstall& operator=(const ClientInstall&) = delete;

  void RememberLogin(const std::string& login_id, const std::string& password);
  pid_t Start(const std::string& service_host);
  // Ends the page viewers started from this installation.
  void CloseViewers();
  const std::string& Folder() const { return install_; }

 private:
  void KillPrograms(const std::string& program);

  std::string root_, install_, runtime_;
  std::vector<pid_t> started_;
};

}  // namespace testsupport
