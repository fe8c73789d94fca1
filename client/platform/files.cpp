#include "client/platform/files.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

bool OnPath(const std::string& program, std::string* found) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) {
      *found = candidate;
      return true;
    }
    start = end + 1;
  }
  return false;
}

bool Spawn(const std::string& path, const std::vector<std::string>& args,
           const std::string& working_folder, bool quiet);

}  // namespace

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string folder(path, static_cast<std::size_t>(length));
  const std::size_t slash = folder.rfind('/');
  if (slash == std::string::npos) return {};
  return folder.substr(0, slash + 1);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

namespace {

// Starts the program detached (a grandchild of a short-lived child), so it
// is never left as a zombie and outlives this process. A pipe that closes on
// exec tells whether the exec itself succeeded.
bool Spawn(const std::string& path, const std::vector<std::string>& args,
           const std::string& working_folder, bool quiet) {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    close(report[0]);
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    if (!working_folder.empty() && chdir(working_folder.c_str()) != 0) {
      const int error = errno;
      (void)!write(report[1], &error, sizeof error);
      _exit(127);
    }
    if (quiet) {
      const int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
      }
    }
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    const int error = errno;
    (void)!write(report[1], &error, sizeof error);
    _exit(127);
  }
  close(report[1]);
  int status = 0;
  waitpid(child, &status, 0);
  int error = 0;
  const ssize_t got = read(report[0], &error, sizeof error);
  close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got <= 0;
}

}  // namespace

bool StartProgram(const std::string& path, const std::vector<std::string>& args,
                  const std::string& working_folder) {
  return Spawn(path, args, working_folder, false);
}

bool OpenInBrowser(const std::string& url) {
  std::string opener;
  if (!OnPath("xdg-open", &opener)) return false;
  return StartProgram(opener, {"xdg-open", url});
}

void PlayWaveAsync(const std::string& path) {
  static const char* const kPlayers[][2] = {{"paplay", nullptr}, {"aplay", "-q"}};
  for (const auto& player : kPlayers) {
    std::string program;
    if (!OnPath(player[0], &program)) continue;
    std::vector<std::string> args{player[0]};
    if (player[1]) args.emplace_back(player[1]);
    args.push_back(path);
    Spawn(program, args, {}, true);
    return;
  }
}

void ExitProcessNow(int code) { _exit(code); }

}  // namespace platform
