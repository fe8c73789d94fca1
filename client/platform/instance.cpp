// One running client per desktop session. The running instance listens on a
// local socket named after the program and the display; a later instance
// that reaches it asks it to raise its window and ends.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>

#include "client/platform/wx_internal.h"

namespace platform {
namespace {

int listen_socket = -1;
wxWindow* instance_window = nullptr;
std::unique_ptr<wxTimer> poll_timer;

std::string SocketPath(std::string_view name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && *runtime ? runtime : "/tmp";
  const char* display = std::getenv("DISPLAY");
  std::string key;
  for (char c : std::string(name) + "-" + (display ? display : "")) {
    key += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  }
  return folder + "/" + key + "-" + std::to_string(getuid()) + ".sock";
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  return address;
}

bool AskRunningInstance(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const sockaddr_un address = Address(path);
  const bool reached = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (reached) (void)!write(fd, "raise\n", 6);
  close(fd);
  return reached;
}

void RaiseInstanceWindow() {
  if (!instance_window) return;
  if (auto* top = dynamic_cast<wxTopLevelWindow*>(instance_window)) top->Iconize(false);
  instance_window->Show();
  instance_window->Raise();
}

void PollRequests() {
  for (;;) {
    const int fd = accept4(listen_socket, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    close(fd);
    RaiseInstanceWindow();
  }
}

}  // namespace

bool AnotherInstanceRunning(std::string_view name) {
  const std::string path = SocketPath(name);
  if (AskRunningInstance(path)) return true;
  unlink(path.c_str());  // left behind by an instance that did not end cleanly
  listen_socket = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listen_socket < 0) return false;
  const sockaddr_un address = Address(path);
  if (bind(listen_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listen_socket, 4) != 0) {
    close(listen_socket);
    listen_socket = -1;
    return false;
  }
  poll_timer = std::make_unique<wxTimer>();
  poll_timer->Bind(wxEVT_TIMER, [](wxTimerEvent&) { PollRequests(); });
  poll_timer->Start(200);
  return false;
}

void SetInstanceWindow(WindowHandle window) { instance_window = detail::Widget(window); }

}  // namespace platform
