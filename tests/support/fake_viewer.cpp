#include "tests/support/fake_viewer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "client/session/program.h"

namespace testsupport {

FakeViewer::FakeViewer() {
  char pattern[] = "/tmp/posyvale-fake-viewer-XXXXXX";
  folder_ = mkdtemp(pattern);
  InstallDir = folder_ + "/";
  const std::string program = InstallDir + "Posyvales";
  {
    std::ofstream script(program);
    // The command text ends with a line feed already.
    script << "#!/bin/sh\nprintf '%s' \"$1\" >> \"$(dirname \"$0\")/started\"\n";
  }
  chmod(program.c_str(), 0755);
}

FakeViewer::~FakeViewer() { std::system(("rm -rf '" + folder_ + "'").c_str()); }

std::vector<std::string> FakeViewer::Started(std::size_t expected, int timeout_ms) const {
  std::vector<std::string> lines;
  for (int waited = 0;; waited += 10) {
    lines.clear();
    std::ifstream file(folder_ + "/started");
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    if (lines.size() >= expected || waited >= timeout_ms) return lines;
    usleep(10 * 1000);
  }
}

}  // namespace testsupport
