// The real client program in its own install folder under the X display.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/platform/text.h"
#include "client/world/bmp_reader.h"
#include "client/session/settings.h"
#include "tests/support/reference_server.h"

extern char** environ;

namespace {

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// Runs a shell command and returns its standard output.
std::string Capture(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
  }
  return output;
}

// The id of a window whose title starts with `title`, waiting
// up to timeout_ms; empty when none appeared.
std::string FindWindow(const std::string& title, int timeout_ms) {
  const long long deadline = NowMs() + timeout_ms;
  do {
    // xwininfo prints the titles as UTF-8, which xdotool's search cannot
    // match beyond ASCII.
    const std::string found = Capture("xwininfo -root -tree 2>/dev/null | grep -F '\"" +
                                      platform::Cp932ToUtf8(title) + "' | awk '{print $1}' | head -n1");
    if (!found.empty()) return found.substr(0, found.find('\n'));
    usleep(100 * 1000);
  } while (NowMs() < deadline);
  return {};
}

// The window's pixels as 0x00RRGGBB, row by row; empty when the capture
// failed.
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

bool WaitGone(const std::string& title, int timeout_ms) {
  const long long deadline = NowMs() + timeout_ms;
  while (NowMs() < deadline) {
    if (FindWindow(title, 0).empty()) return true;
    usleep(100 * 1000);
  }
  return false;
}

void PressEnter(const std::string& window) {
  std::system(("xdotool windowfocus --sync " + window + " key Return").c_str());
}

// Waits for the process to end; its raw wait status, or -1 on time-out.
int WaitExit(pid_t pid, int timeout_ms) {
  const long long deadline = NowMs() + timeout_ms;
  int status = 0;
  while (NowMs() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    usleep(50 * 1000);
  }
  return -1;
}

// Ends every process whose program file lies in `folder` (the page viewers
// the client started, which run detached from it).
void KillProgramsOf(const std::string& folder, const std::string& program = "") {
  std::system(("for exe in /proc/[0-9]*/exe; do case \"$(readlink $exe)\" in '" + folder +
               "'/" + (program.empty() ? std::string("*") : program) +
               ") kill -9 $(basename $(dirname $exe));; esac; done 2>/dev/null")
                  .c_str());
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-program-XXXXXX";
    root_ = mkdtemp(pattern);
    install_ = root_ + "/install";
    runtime_ = root_ + "/runtime";
    // A copy of the staged installation runs as an installation of its own.
    ASSERT_EQ(std::system(("cp -r '" POSYVALE_STAGE_DIR "' '" + install_ + "' && mkdir '" + runtime_ + "'").c_str()), 0);
  }

  void TearDown() override {
    for (pid_t pid : started_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    KillProgramsOf(install_);
    std::system(("rm -rf '" + root_ + "'").c_str());
  }

  void RememberLogin(const std::string& login_id, const std::string& password) {
    std::ofstream ini(install_ + "/Posyvale.ini", std::ios::binary);
    ini << "[Posyvale]\r\nID=" << login_id << "\r\nPASS=" << EncodePassword(password) << "\r\n";
  }

  pid_t StartClient(const std::string& service_host) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
    std::erase_if(environment, [](const std::string& entry) {
      return entry.starts_with("POSYVALE_SERVICE_HOST=") || entry.starts_with("XDG_RUNTIME_DIR=");
    });
    environment.push_back("POSYVALE_SERVICE_HOST=" + service_host);
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

  // The scene on screen is map 0 with the own character (appearance 3 at
  // 100, 200 from the server) drawn over it, pixel for pixel.
  void CheckSceneShowsMapAndOwnCharacter(const std::string& window) {
    KillProgramsOf(install_, "Posyvales");  // the news page must not cover the scene
    usleep(500 * 1000);
    const auto map = ReadBmpFile(install_ + "/map0.bmp");
    const auto character = ReadBmpFile(install_ + "/3.bmp");
    ASSERT_TRUE(map && character);
    const std::vector<std::uint32_t> screen = CaptureWindow(window, 640, 480);
    ASSERT_EQ(screen.size(), 640u * 480u) << "no capture of the main window";
    const std::uint32_t key = character->pixels[0] | 0x800000;
    int map_pixels = 0, map_matches = 0, character_pixels = 0, character_matches = 0;
    // The buttons under the scene stand at y 479 and cover its last row.
    for (int y = 0; y < 479; ++y) {
      for (int x = 0; x < 640; ++x) {
        const std::uint32_t shown = screen[static_cast<std::size_t>(y) * 640 + x];
        const bool in_character = x >= 100 && x < 132 && y >= 200 && y < 232;
        if (in_character) {
          // 31 source pixels stretched over 32.
          const std::uint32_t source = character->pixels[static_cast<std::size_t>((y - 200) * 31 / 32) *
                                                             character->width + (x - 100) * 31 / 32];
          if (source == key) continue;
          ++character_pixels;
          character_matches += shown == source;
        } else {
          ++map_pixels;
          map_matches += shown == map->pixels[static_cast<std::size_t>(y) * 640 + x];
        }
      }
    }
    EXPECT_GT(character_pixels, 100);
    EXPECT_EQ(character_matches, character_pixels) << "the own character is not on screen";
    EXPECT_EQ(map_matches, map_pixels) << "the map is not on screen";
  }

  std::string root_, install_, runtime_;
  std::vector<pid_t> started_;
};

TEST_F(ProgramTest, LogsInRefusesASecondInstanceAndEndsWhenTheServerStops) {
  testsupport::ReferenceServer server(40);
  server.AddAccount("hana", "s3cret", "Hana", 3, 100, 200, 0);
  RememberLogin("hana", "s3cret");

  const pid_t client = StartClient(server.Address());
  const std::string dialog = FindWindow("☆彡 ログイン", 20000);
  ASSERT_FALSE(dialog.empty()) << "the login dialog did not appear";
  PressEnter(dialog);  // Enter presses the log-in button with the remembered login
  ASSERT_TRUE(WaitGone("☆彡 ログイン", 10000)) << "the login was not accepted";
  EXPECT_FALSE(FindWindow("Posyvale Client Program  Ver 1.6", 1000).empty());
  // After the login the news page opens in the page viewer.
  EXPECT_FALSE(FindWindow("★★★　お知らせ　★★★", 10000).empty());

  CheckSceneShowsMapAndOwnCharacter(FindWindow("Posyvale Client Program  Ver 1.6", 1000));

  const pid_t second = StartClient(server.Address());
  const int second_status = WaitExit(second, 10000);
  ASSERT_NE(second_status, -1) << "the second instance did not end";
  EXPECT_TRUE(WIFEXITED(second_status));
  EXPECT_EQ(WEXITSTATUS(second_status), 0);

  server.Stop();
  const std::string notice = FindWindow("エラー", 10000);
  ASSERT_FALSE(notice.empty()) << "no disconnection message";
  PressEnter(notice);
  const int status = WaitExit(client, 10000);
  ASSERT_NE(status, -1) << "the client did not end after the disconnection";
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 255);
}

}  // namespace
