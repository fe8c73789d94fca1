// The real page viewer program: how it ends without a usable command, and
// under X how it shows a page served over HTTP on the loopback address.
// This file is UTF-8 throughout; the command texts are turned into CP932
// bytes as the client sends them.
#include <arpa/inet.h>
#include <iconv.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string Utf8ToCp932(const std::string& text) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string input = text;
  std::string output(text.size() * 2 + 1, '\0');
  char* in = input.data();
  char* out = output.data();
  size_t in_left = input.size(), out_left = output.size();
  const size_t result = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) return {};
  output.resize(output.size() - out_left);
  return output;
}

std::string Capture(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    pclose(pipe);
  }
  return output;
}

// A one-page web site on 127.0.0.1: "/page" is a page with a title, a text
// field at the top left inside a form, and a script that reports the page's
// inner size at load and on every resize ("/size?WxH") and every typed value
// ("/typed?VALUE"). Every path asked for is recorded.
class LoopbackPageServer {
 public:
  LoopbackPageServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot listen on 127.0.0.1";
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }

  ~LoopbackPageServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(listener_);
  }

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  // Waits until `path` was asked for.
  bool WaitFor(const std::string& path, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return requested_.wait_for(lock, timeout, [&] { return AskedLocked(path); });
  }

  bool Asked(const std::string& path) {
    std::lock_guard lock(mutex_);
    return AskedLocked(path);
  }

 private:
  bool AskedLocked(const std::string& path) const {
    return std::find(paths_.begin(), paths_.end(), path) != paths_.end();
  }

  void Serve() {
    // Bounded: the server stops with the test, at the latest after a minute.
    const auto deadline = Clock::now() + 60s;
    while (!stop_ && Clock::now() < deadline) {
      pollfd waiting{listener_, POLLIN, 0};
      if (poll(&waiting, 1, 100) <= 0) continue;
      const int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      Answer(connection);
      close(connection);
    }
  }

  void Answer(int connection) {
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
      pollfd waiting{connection, POLLIN, 0};
      if (poll(&waiting, 1, 2000) <= 0) return;
      const ssize_t count = recv(connection, buffer, sizeof buffer, 0);
      if (count <= 0) return;
      request.append(buffer, static_cast<size_t>(count));
    }
    std::istringstream line(request.substr(0, request.find("\r\n")));
    std::string method, path;
    line >> method >> path;
    {
      std::lock_guard lock(mutex_);
      paths_.push_back(path);
    }
    requested_.notify_all();
    const std::string body = path == "/page" ? kPage : "";
    const std::string answer = std::string(path == "/page" ? "HTTP/1.1 200 OK" : "HTTP/1.1 204 No Content") +
                               "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
  }

  static constexpr const char* kPage =
      "<!DOCTYPE html><html><head><title>Local news</title></head>"
      "<body style='margin:0;background:#ffe'>"
      "<form action='/submitted'><input id='field' name='q' "
      "style='position:fixed;left:0;top:0;width:200px;height:30px' "
      "oninput=\"fetch('/typed?'+this.value)\"></form>"
      "<h1 style='margin-top:40px'>Hello from the local page</h1>"
      "<script>function report(){fetch('/size?'+innerWidth+'x'+innerHeight)}"
      "onresize=report;report();</script></body></html>";

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable requested_;
  std::vector<std::string> paths_;
};

// Starts the viewer the way the client does: the command text both as
// argument 0 and as argument 1.
pid_t StartViewer(const std::string& command, const std::vector<std::string>& unset = {}) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const bool dropped = std::any_of(unset.begin(), unset.end(),
                                     [&](const std::string& name) { return text.starts_with(name + "="); });
    if (!dropped) environment.push_back(text);
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string first = command, second = command;
  char* argv[] = {first.data(), second.data(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, POSYVALES_PROGRAM, nullptr, nullptr, argv, envp.data()), 0);
  return pid;
}

std::optional<int> WaitExit(pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  int status = 0;
  do {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(50ms);
  } while (Clock::now() < deadline);
  return std::nullopt;
}

// A top-level window as xwininfo lists it: title (UTF-8) and geometry.
struct ListedWindow {
  std::string id;
  int width = 0, height = 0, x = 0, y = 0;
};

// The window of process `pid` whose title is exactly `title`.
std::optional<ListedWindow> FindWindowOf(pid_t pid, const std::string& title, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  do {
    std::istringstream listing(Capture("xwininfo -root -tree 2>/dev/null"));
    for (std::string line; std::getline(listing, line);) {
      const size_t quoted = line.find(" \"" + title + "\": ");
      if (quoted == std::string::npos) continue;
      ListedWindow window;
      std::istringstream(line) >> window.id;
      const std::string geometry = line.substr(line.rfind(")") + 1);
      if (std::sscanf(geometry.c_str(), " %dx%d+%d+%d", &window.width, &window.height, &window.x, &window.y) != 4)
        continue;
      if (std::atoi(Capture("xdotool getwindowpid " + window.id + " 2>/dev/null").c_str()) != pid) continue;
      return window;
    }
    std::this_thread::sleep_for(100ms);
  } while (Clock::now() < deadline);
  return std::nullopt;
}

bool RunShell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Without four fields the program ends at once with 0 and no window. No
// display is given: a program that went on to make a window could not and
// would end with an error instead, as the last case shows.
TEST(ViewerProgramExit, EndsSilentlyWithoutFourFields) {
  for (const std::string command : {"", "450@320\n", "450@320@@http://127.0.0.1/\n", "@@@@\n"}) {
    SCOPED_TRACE("command text: " + command);
    const pid_t viewer = StartViewer(command, {"DISPLAY", "WAYLAND_DISPLAY"});
    const auto status = WaitExit(viewer, 10s);
    ASSERT_TRUE(status.has_value()) << "the viewer did not end";
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
  }
  const pid_t viewer = StartViewer("450@320@-@http://127.0.0.1/\n", {"DISPLAY", "WAYLAND_DISPLAY"});
  const auto status = WaitExit(viewer, 10s);
  ASSERT_TRUE(status.has_value()) << "the viewer did not end";
  EXPECT_FALSE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "a full command must try to open its window";
}

TEST(ViewerProgramExit, EndsSilentlyWithoutArgumentOne) {
  char* argv[] = {const_cast<char*>("450@320@-@http://127.0.0.1/\n"), nullptr};
  char* envp[] = {nullptr};
  pid_t viewer = -1;
  ASSERT_EQ(posix_spawn(&viewer, POSYVALES_PROGRAM, nullptr, nullptr, argv, envp), 0);
  const auto status = WaitExit(viewer, 10s);
  ASSERT_TRUE(status.has_value()) << "the viewer did not end";
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
}

// The real window on the display of the test command.
class ViewerWindow : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the window tests need an X display"; }

  void TearDown() override {
    if (viewer_ > 0 && !WaitExit(viewer_, 0ms)) {
      kill(viewer_, SIGKILL);
      waitpid(viewer_, nullptr, 0);
    }
  }

  pid_t Start(int width, int height, const std::string& caption_utf8) {
    const std::string command = std::to_string(width) + "@" + std::to_string(height) + "@" +
                                Utf8ToCp932(caption_utf8) + "@" + server_.Url("/page") + "\n";
    viewer_ = StartViewer(command);
    return viewer_;
  }

  LoopbackPageServer server_;
  pid_t viewer_ = -1;
};

TEST_F(ViewerWindow, ShowsThePageAtTheGivenSizeAndFollowsResizes) {
  const pid_t viewer = Start(450, 320, "-");
  ASSERT_TRUE(server_.WaitFor("/page", 30s)) << "the page was not requested";
  const auto window = FindWindowOf(viewer, "★★★　お知らせ　★★★", 10s);
  ASSERT_TRUE(window) << "no window with the built-in caption";
  EXPECT_EQ(window->x, 20);
  EXPECT_EQ(window->y, 20);
  EXPECT_EQ(window->width, 430);
  EXPECT_EQ(window->height, 300);
  // Without a window manager there is no frame, so the page's inner size is
  // the window's size when the web view fills it.
  EXPECT_TRUE(server_.WaitFor("/size?430x300", 10s)) << "the page does not fill the window";

  ASSERT_TRUE(RunShell("xdotool windowsize " + window->id + " 600 400"));
  EXPECT_TRUE(server_.WaitFor("/size?600x400", 10s)) << "the page does not follow the resize";

  ASSERT_TRUE(RunShell("xdotool windowfocus --sync " + window->id + " key Escape"));
  const auto status = WaitExit(viewer, 10s);
  ASSERT_TRUE(status.has_value()) << "Escape did not end the viewer";
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
}

TEST_F(ViewerWindow, TakesTheCaptionOfTheCommandAndSwallowsEnter) {
  const pid_t viewer = Start(650, 500, "Posyvale_伝言版");
  ASSERT_TRUE(server_.WaitFor("/page", 30s)) << "the page was not requested";
  const auto window = FindWindowOf(viewer, "Posyvale_伝言版", 10s);
  ASSERT_TRUE(window) << "no window with the command's caption";
  EXPECT_EQ(window->width, 630);
  EXPECT_EQ(window->height, 480);
  ASSERT_TRUE(server_.WaitFor("/size?630x480", 10s));

  // Typing reaches the page's text field, so keys do get through...
  ASSERT_TRUE(RunShell("xdotool mousemove 60 35 click 1 sleep 0.3 type --delay 50 ab"));
  ASSERT_TRUE(server_.WaitFor("/typed?ab", 10s)) << "typed keys did not reach the page";
  // ...but Enter, which would send the form, goes nowhere.
  ASSERT_TRUE(RunShell("xdotool key Return"));
  EXPECT_FALSE(server_.WaitFor("/submitted?q=ab", 2s)) << "Enter reached the page";
  EXPECT_FALSE(WaitExit(viewer, 0ms).has_value()) << "Enter ended the viewer";
}

TEST_F(ViewerWindow, ContextMenuOpensTheAboutBox) {
  const pid_t viewer = Start(450, 320, "-");
  ASSERT_TRUE(server_.WaitFor("/page", 30s)) << "the page was not requested";
  ASSERT_TRUE(FindWindowOf(viewer, "★★★　お知らせ　★★★", 10s));
  ASSERT_TRUE(server_.WaitFor("/size?430x300", 10s));
  // The menu opens at the pointer; its one item lies just below and right.
  ASSERT_TRUE(RunShell("xdotool mousemove 150 200 click 3 sleep 1 mousemove 190 215 click 1"));
  EXPECT_TRUE(FindWindowOf(viewer, "Posyvales のﾊﾞｰｼﾞｮﾝ情報", 10s)) << "no about box";
}

}  // namespace
