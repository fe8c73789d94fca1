#include "tests/support/desktop.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "client/platform/text.h"
#include "client/session/settings.h"
#include "tests/support/test_files.h"

extern char** environ;

namespace testsupport {

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

std::vector<std::string> FindWindows(const std::string& title) {
  // xwininfo prints the titles as UTF-8, which xdotool's search cannot match
  // beyond ASCII.
  const std::string found = RunShell("xwininfo -root -tree 2>/dev/null | grep -F '\"" +
                                    platform::Cp932ToUtf8(title) + "' | awk '{print $1}'");
  std::vector<std::string> windows;
  std::size_t start = 0;
  while (start < found.size()) {
    const std::size_t end = found.find('\n', start);
    windows.push_back(found.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return windows;
}

// True once the window is mapped: before that it can take no keyboard focus.
static bool IsViewable(const std::string& window) {
  return RunShell("xwininfo -id " + window + " 2>/dev/null").find("IsViewable") != std::string::npos;
}

std::string FindWindow(const std::string& title, int timeout_ms) {
  const long long deadline = NowMs() + timeout_ms;
  do {
    for (const std::string& window : FindWindows(title)) {
      if (IsViewable(window)) return window;
    }
    usleep(100 * 1000);
  } while (NowMs() < deadline);
  return {};
}

std::string FindWindowOf(pid_t pid, const std::string& title, int timeout_ms) {
  const long long deadline = NowMs() + timeout_ms;
  do {
    for (const std::string& window : FindWindows(title)) {
      if (std::atoi(RunShell("xdotool getwindowpid " + window + " 2>/dev/null").c_str()) == pid &&
          IsViewable(window)) {
        return window;
      }
    }
    usleep(100 * 1000);
  } while (NowMs() < deadline);
  return {};
}

bool WaitGone(const std::string& title, int timeout_ms) {
  const long long deadline = NowMs() + timeout_ms;
  while (NowMs() < deadline) {
    if (FindWindows(title).empty()) return true;
    usleep(100 * 1000);
  }
  return false;
}

void SendKeys(const std::string& window, const std::string& keys) {
  std::system(("xdotool windowfocus --sync " + window + " key --delay 30 " + keys).c_str());
}

void TypeText(const std::string& window, const std::string& text) {
  std::system(("xdotool windowfocus --sync " + window + " type --delay 30 '" + text + "'").c_str());
}

std::vector<std::uint32_t> CaptureWindow(const std::string& window, int width, int height) {
  std::vector<std::uint32_t> pixels;
  FILE* pipe = popen(("import -window " + window + " -crop " + std::to_string(width) + "x" +
                      std::to_string(height) + "+0+0 -depth 8 rgb:- 2>/dev/null")
                         .c_str(),
                     "r");
  if (!pipe) return pixels;
  unsigned char rgb[3];
  while (pixels.size() < static_cast<std::size_t>(width) * height && std::fread(rgb, 1, 3, pipe) == 3) {
    pixels.push_back(std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2]);
  }
  pclose(pipe);
  return pixels;
}

int WaitExit(pid_t pid, int timeout_ms) {
  const long long deadline = NowMs() + timeout_ms;
  int status = 0;
  while (NowMs() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    usleep(50 * 1000);
  }
  return -1;
}

ClientInstall::ClientInstall() {
  char pattern[] = "/tmp/posyvale-install-XXXXXX";
  root_ = mkdtemp(pattern);
  install_ = root_ + "/install";
  runtime_ = root_ + "/runtime";
  // A copy of the staged installation runs as an installation of its own.
  EXPECT_EQ(std::system(("cp -r '" POSYVALE_STAGE_DIR "' '" + install_ + "' && mkdir '" + runtime_ + "'").c_str()),
            0);
}

ClientInstall::~ClientInstall() {
  for (pid_t pid : started_) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  KillPrograms("*");
  std::system(("rm -rf '" + root_ + "'").c_str());
}

void ClientInstall::RememberLogin(const std::string& login_id, const std::string& password) {
  std::ofstream ini(install_ + "/Posyvale.ini", std::ios::binary);
  ini << "[Posyvale]\r\nID=" << login_id << "\r\nPASS=" << EncodePassword(password) << "\r\n";
}

pid_t ClientInstall::Start(const std::string& service_host) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) {
    const std::string variable = *entry;
    if (!variable.starts_with("POSYVALE_SERVICE_HOST=") && !variable.starts_with("XDG_RUNTIME_DIR=")) {
      environment.push_back(variable);
    }
  }
  environment.push_back("POSYVALE_SERVICE_HOST=" + service_host);
  // Each installation gets a desktop session of its own, so two clients can
  // run side by side on the test display.
  environment.push_back("XDG_RUNTIME_DIR=" + runtime_);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = install_ + "/Posyvale";
  char* argv[] = {program.data(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()), 0);
  started_.push_back(pid);
  return pid;
}

void ClientInstall::CloseViewers() { KillPrograms("Posyvales"); }

// Ends every process whose program file lies in the installation (the page
// viewers run detached from the client).
void ClientInstall::KillPrograms(const std::string& program) {
  std::system(("for exe in /proc/[0-9]*/exe; do case \"$(readlink $exe)\" in '" + install_ + "'/" + program +
               ") kill -9 $(basename $(dirname $exe));; esac; done 2>/dev/null")
                  .c_str());
}

}  // namespace testsupport
