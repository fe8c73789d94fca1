// A stand-in game server for one connection: it accepts on 127.0.0.N, port
// 40000, reads the first frame and answers with a fixed message (or, with
// no answer given, stays silent until it is destroyed).
#pragma once
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

class ScriptedPeer {
 public:
  ScriptedPeer(int host_octet, std::string answer_body, bool silent = false);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::string Address() const;
  // The body of the first frame received so far.
  std::string Received();

 private:
  void Serve();

  int host_octet_;
  std::string answer_;
  bool silent_;
  int listener_ = -1;
  int stop_pipe_[2] = {-1, -1};
  std::mutex mutex_;
  std::string received_;
  std::thread thread_;
};

}  // namespace testsupport
