#include "reference_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace testsupport {
namespace {

constexpr int kServerPort = 40000;

// Time and sleeping through POSIX calls: <chrono> cannot be compiled with the
// CP932 execution character set of this library.
long long NowMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

void SleepMilliseconds(int milliseconds) { usleep(static_cast<useconds_t>(milliseconds) * 1000); }

// Starts `args` (args[0] is the program) with stdout and stderr sent to the
// given descriptors. Returns the child's pid, or -1.
pid_t Spawn(const std::vector<std::string>& args, int stdout_fd, int stderr_fd) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, stdout_fd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, stderr_fd, STDERR_FILENO);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

bool CanConnect(const std::string& address) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(kServerPort);
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  bool connected = connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  close(fd);
  return connected;
}

// Waits for the child up to `timeout`; true when it has ended.
bool WaitForExit(pid_t pid, int timeout_milliseconds, int* status) {
  long long deadline = NowMilliseconds() + timeout_milliseconds;
  while (true) {
    pid_t done = waitpid(pid, status, WNOHANG);
    if (done == pid || done < 0) return true;
    if (NowMilliseconds() >= deadline) return false;
    SleepMilliseconds(10);
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

ReferenceServer::ReferenceServer(int host_octet, int newest_version)
    : host_octet_(host_octet), newest_version_(newest_version) {
  std::string pattern = (std::filesystem::temp_directory_path() / "posyvaled-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a temporary folder for the reference server";
    return;
  }
  folder_ = pattern;
  Start();
}

ReferenceServer::~ReferenceServer() {
  Stop();
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

std::string ReferenceServer::Address() const { return "127.0.0." + std::to_string(host_octet_); }

std::string ReferenceServer::ServerLog() const { return ReadWholeFile(folder_ + "/server.log"); }

void ReferenceServer::Start() {
  if (pid_ > 0 || folder_.empty()) return;
  int log_fd = open((folder_ + "/server.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (log_fd < 0) {
    ADD_FAILURE() << "cannot open the reference server log in " << folder_;
    return;
  }
  pid_ = Spawn({POSYVALE_SERVER_PROGRAM, "--db", folder_ + "/server.db", "--address", Address(),
                "--port", std::to_string(kServerPort), "--newest-version",
                std::to_string(newest_version_)},
               log_fd, log_fd);
  close(log_fd);
  if (pid_ < 0) {
    ADD_FAILURE() << "cannot start " << POSYVALE_SERVER_PROGRAM;
    return;
  }
  long long deadline = NowMilliseconds() + 5000;
  while (NowMilliseconds() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      ADD_FAILURE() << "the reference server on " << Address() << " ended at start:\n"
                    << ServerLog();
      return;
    }
    if (CanConnect(Address())) return;
    SleepMilliseconds(20);
  }
  ADD_FAILURE() << "the reference server on " << Address()
                << " does not accept connections after 5 s:\n"
                << ServerLog();
  Stop();
}

void ReferenceServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  if (!WaitForExit(pid_, 5000, &status)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    ADD_FAILURE() << "the reference server on " << Address() << " ignored SIGTERM";
  }
  pid_ = -1;
}

int ReferenceServer::RunCommand(const std::vector<std::string>& command) {
  std::vector<std::string> args = {POSYVALE_SERVER_PROGRAM, "--db", folder_ + "/server.db"};
  args.insert(args.end(), command.begin(), command.end());
  std::string output_path = folder_ + "/command.out";
  int out_fd = open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out_fd < 0) {
    ADD_FAILURE() << "cannot open " << output_path;
    return -1;
  }
  pid_t pid = Spawn(args, out_fd, out_fd);
  close(out_fd);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) {
    ADD_FAILURE() << "cannot run " << POSYVALE_SERVER_PROGRAM << " " << command.front();
    return -1;
  }
  std::string output = ReadWholeFile(output_path);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << command.front() << " failed:\n" << output;
    return -1;
  }
  return std::atoi(output.c_str());
}

int ReferenceServer::AddAccount(const std::string& login, const std::string& password,
                                const std::string& handle, int appearance, int x, int y, int map,
                                bool starter_items) {
  std::vector<std::string> command = {
      "add-account", login, password, "--handle", handle,
      "--appearance", std::to_string(appearance), "--x", std::to_string(x),
      "--y", std::to_string(y), "--map", std::to_string(map)};
  if (!starter_items) command.push_back("--no-starter-items");
  return RunCommand(command);
}

int ReferenceServer::AddAccountWithoutCharacter(const std::string& login,
                                                const std::string& password) {
  return RunCommand({"add-account", login, password});
}

int ReferenceServer::AddItem(int user_number, const std::string& item_code) {
  return RunCommand({"add-item", std::to_string(user_number), item_code});
}

void ReferenceServer::SetProfile(int user_number, const std::string& text) {
  RunCommand({"set-profile", std::to_string(user_number), text});
}

void ReferenceServer::SetPoints(int user_number, int points) {
  RunCommand({"set-points", std::to_string(user_number), std::to_string(points)});
}

void ReferenceServer::SetHealth(int user_number, int health) {
  RunCommand({"set-health", std::to_string(user_number), std::to_string(health)});
}

}  // namespace testsupport
