// A stand-in page viewer in a temporary install folder: each start appends
// its command text (argument 1) as one line to a file the test reads.
#pragma once
#include <string>
#include <vector>

namespace testsupport {

class FakeViewer {
 public:
  FakeViewer();   // makes the folder and sets InstallDir to it
  ~FakeViewer();  // removes the folder
  FakeViewer(const FakeViewer&) = delete;
  FakeViewer& operator=(const FakeViewer&) = delete;

  // The command texts of the viewers started so far, waiting up to
  // timeout_ms for at least `expected` of them.
  std::vector<std::string> Started(std::size_t expected, int timeout_ms = 3000) const;
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace testsupport
