#include "tests/support/ftp_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace testsupport {
namespace {

constexpr int kFtpPort = 21;
constexpr char kPython[] = "/usr/bin/python3";

// The server: anonymous read access to root/, every command appended to
// commands.log, listed sizes overridden from listed_sizes.txt ("name size"
// lines), and the misbehaviour of the chosen mode.
constexpr char kServerScript[] = R"PY(
import io, os, socket, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

address, folder, mode = sys.argv[1:4]
root = os.path.join(folder, 'root')

def listed_size(path):
    try:
        with open(os.path.join(folder, 'listed_sizes.txt')) as sizes:
            for line in sizes:
                name, size = line.rsplit(' ', 1)
                if name == os.path.basename(path):
                    return int(size)
    except FileNotFoundError:
        pass
    return None

def with_size(st, size):
    values = list(st[:10])
    values[6] = size
    return os.stat_result(values)

class Filesystem(AbstractedFS):
    def stat(self, path):
        st = super().stat(path)
        size = listed_size(path)
        return st if size is None else with_size(st, size)

    def lstat(self, path):
        st = super().lstat(path)
        size = listed_size(path)
        return st if size is None else with_size(st, size)

    def open(self, filename, how):
        f = super().open(filename, how)
        if mode != 'truncate' or 'r' not in how:
            return f
        data = f.read()
        f.close()
        return io.BytesIO(data[:len(data) // 2])

class Handler(FTPHandler):
    use_sendfile = False

    def pre_process_command(self, line, cmd, arg):
        with open(os.path.join(folder, 'commands.log'), 'a') as log:
            log.write(cmd + '\n')
        super().pre_process_command(line, cmd, arg)

    if mode == 'refuse_active':
        def ftp_PORT(self, line):
            self.respond('502 Active mode is not offered here.')
        ftp_EPRT = ftp_PORT

    if mode == 'unreachable_active':
        def _make_eport(self, ip, port):
            # Connect to a port nobody listens on instead of the client's.
            probe = socket.socket()
            probe.bind((ip, 0))
            dead_port = probe.getsockname()[1]
            probe.close()
            super()._make_eport(ip, dead_port)

authorizer = DummyAuthorizer()
authorizer.add_anonymous(root)
Handler.authorizer = authorizer
Handler.abstracted_fs = Filesystem
server = FTPServer((address, 21), Handler)
server.serve_forever()
)PY";

const char* ModeName(FtpServer::Mode mode) {
  switch (mode) {
    case FtpServer::Mode::Normal: return "normal";
    case FtpServer::Mode::RefuseActive: return "refuse_active";
    case FtpServer::Mode::UnreachableActive: return "unreachable_active";
    case FtpServer::Mode::TruncateTransfers: return "truncate";
  }
  return "normal";
}

long long NowMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

bool CanConnect(const std::string& address) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(kFtpPort);
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  close(fd);
  return connected;
}

void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

FtpServer::FtpServer(int host_octet, Mode mode) : host_octet_(host_octet) {
  char pattern[] = "/tmp/posyvale-ftp-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
  folder_ = pattern;
  mkdir((folder_ + "/root").c_str(), 0755);
  std::ofstream(folder_ + "/server.py") << kServerScript;

  const std::string script = folder_ + "/server.py";
  const std::string log = folder_ + "/server.log";
  const std::string address = Address();
  const char* argv[] = {kPython, script.c_str(), address.c_str(), folder_.c_str(), ModeName(mode), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  const int rc = posix_spawn(&pid_, kPython, &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start the FTP server");

  const long long deadline = NowMilliseconds() + 10000;
  while (!CanConnect(address)) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_ || NowMilliseconds() > deadline) {
      pid_ = -1;
      throw std::runtime_error("FTP server on " + address + " did not start:\n" + ReadAll(log));
    }
    usleep(20 * 1000);
  }
}

FtpServer::~FtpServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::system(("rm -rf " + folder_).c_str());
}

std::string FtpServer::Address() const { return "127.0.0." + std::to_string(host_octet_); }

void FtpServer::AddFile(const std::string& path, const std::string& content) {
  const std::string full = folder_ + "/root/" + path;
  MakeFolders(full);
  std::ofstream(full, std::ios::binary) << content;
}

void FtpServer::ListSizeAs(const std::string& name, std::uint64_t size) {
  std::ofstream(folder_ + "/listed_sizes.txt", std::ios::app) << name << ' ' << size << '\n';
}

std::vector<std::string> FtpServer::Commands() const {
  std::vector<std::string> commands;
  std::istringstream lines(ReadAll(folder_ + "/commands.log"));
  for (std::string line; std::getline(lines, line);) commands.push_back(line);
  return commands;
}

}  // namespace testsupport
