// Benchmarks of the client's main loop: how many server messages the tick
// delivers while a server floods the connection, and how much processor
// time the loop takes while nothing arrives.
//
// The tick reads the keyboard and the loop serves the desktop's events, both
// through the desktop toolkit, so this program has its own main: the toolkit
// is started around the benchmarks when an X display is there; without one
// every benchmark is reported as skipped.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <cstdint>
#include <cstdlib>

#include "bench/loopback_peer.h"
#include "bench/window_bench_main.h"
#include "client/platform/ui.h"
#include "client/session/connection.h"
#include "client/session/program.h"
#include "client/session/startup.h"
#include "client/world/surfaces.h"

namespace {

using bench::LoopbackPeer;

// The real message loop runs this long before measuring, so the window is
// mapped and drawn once, then this long measured.
constexpr double kWarmUpSeconds = 0.5;
constexpr double kMeasuredSeconds = 3.0;

double WallSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processor time of the whole process (every thread, user and system).
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Opens the client's server connection to the peer, as the login loop does.
bool ConnectClient(LoopbackPeer& peer, benchmark::State& state) {
  if (!peer.listening()) {
    state.SkipWithError(peer.error().c_str());
    return false;
  }
  if (ConnectServer("127.0.0.1", peer.port()) != 0) {
    state.SkipWithError("ConnectServer failed");
    return false;
  }
  if (!peer.AcceptClient()) {
    CloseConnection();
    state.SkipWithError(peer.error().c_str());
    return false;
  }
  return true;
}

std::uint64_t MessagesIn(std::uint64_t bytes) { return bytes / bench::kMoveFrameLength; }

// Backlog limits of the flood, in bytes. Bounded: the client always has
// about fifteen ticks' worth of frames waiting, so every tick can take its
// full share and the figure is the tick's own capacity. Unbounded: the
// server writes whenever the socket takes more and the client's receive
// buffer fills up; then the kernel may keep the receive window shut while
// the client waits for the rest of a body, and ticks go by empty.
constexpr std::int64_t kBoundedBacklog = 16 * 1024;
constexpr std::int64_t kUnboundedBacklog = 0;

// The tick alone, called back to back with no window (the frame is drawn
// but shown nowhere) while the peer floods the connection with "m"
// messages. It still needs the toolkit: the tick's F1 test reads the
// keyboard state through it.
//
// Messages are counted from the client's own socket: bytes its TCP stack
// received minus bytes still queued are bytes the client read, and every
// frame has the same length. The tick takes a body only whole and hands it
// on at once, so the count is what the tick delivered, short by at most the
// one frame whose prefix was read last. The rate is per second of real time,
// since most of a tick is its sleep. A starved tick took nothing while the
// server had frames it could not send.
void BM_TickDeliversFloodedMoves(benchmark::State& state) {
  if (!HaveDisplay()) {
    state.SkipWithError("needs an X display");
    return;
  }
  LoopbackPeer peer;
  if (!ConnectClient(peer, state)) return;
  peer.StartFlood(static_cast<std::size_t>(state.range(0)));
  InitSurfaces();  // the step clock starts now, as in the program
  const std::uint64_t consumed_before = peer.ClientBytesConsumed();
  std::uint64_t consumed = consumed_before;
  long starved_ticks = 0;
  for (auto _ : state) {
    MainLoopTick();
    const std::uint64_t now_consumed = peer.ClientBytesConsumed();
    if (now_consumed == consumed && peer.UnsentBytes() > 0) ++starved_ticks;
    consumed = now_consumed;
  }
  // The client closes first; a writer blocked on a full socket then fails
  // and ends.
  CloseConnection();
  peer.Stop();

  const auto messages = static_cast<double>(MessagesIn(consumed - consumed_before));
  state.counters["messages"] = benchmark::Counter(messages, benchmark::Counter::kIsRate);
  state.counters["messages_per_tick"] = benchmark::Counter(messages, benchmark::Counter::kAvgIterations);
  state.counters["starved_ticks"] = static_cast<double>(starved_ticks);
}
BENCHMARK(BM_TickDeliversFloodedMoves)
    ->ArgName("backlog_limit")
    ->Arg(kBoundedBacklog)
    ->Arg(kUnboundedBacklog)
    ->UseRealTime()
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond);

// What one stretch of the real message loop cost.
struct LoopSample {
  double wall_seconds = 0;
  double cpu_seconds = 0;
  std::uint64_t bytes_consumed = 0;
};

// The processor time counted is the client's: the peer's writer thread is
// left out.
LoopSample TakeSample(LoopbackPeer& peer) {
  return {WallSeconds(), CpuSeconds() - peer.WriterCpuSeconds(), peer.ClientBytesConsumed()};
}

struct LoopRun {
  LoopSample cost;
  long ticks = 0;
};

// Runs the client's message loop with its tick, as the program does after
// login: warm-up first, then the measured stretch, which starts and ends
// right after a tick. The loop is ended from the tick itself, as nothing in
// the toolkit needs to know about the benchmark.
LoopRun RunMainLoop(LoopbackPeer& peer) {
  InitSurfaces();
  const double begin = WallSeconds();
  bool measuring = false;
  LoopSample start;
  LoopRun run;
  platform::RunMessageLoop(
      [&] {
        MainLoopTick();
        const double now = WallSeconds();
        if (!measuring) {
          if (now - begin < kWarmUpSeconds) return;
          start = TakeSample(peer);
          measuring = true;
          return;
        }
        ++run.ticks;
        if (now - start.wall_seconds < kMeasuredSeconds) return;
        const LoopSample end = TakeSample(peer);
        run.cost = {end.wall_seconds - start.wall_seconds, end.cpu_seconds - start.cpu_seconds,
                    end.bytes_consumed - start.bytes_consumed};
        platform::PostQuitMessage(0);
      });
  return run;
}

// Connects the client, opens the real main window and, when flood is set,
// starts the peer's flood; then runs the message loop once.
bool RunWindowedLoop(benchmark::State& state, bool flood, LoopRun* run) {
  if (!HaveDisplay()) {
    state.SkipWithError("needs an X display");
    return false;
  }
  LoopbackPeer peer;
  if (!ConnectClient(peer, state)) return false;
  if (!CreateMainWindow()) {
    CloseConnection();
    state.SkipWithError("CreateMainWindow failed");
    return false;
  }
  if (flood) peer.StartFlood(kBoundedBacklog);
  for (auto _ : state) {
    *run = RunMainLoop(peer);
    state.SetIterationTime(run->cost.wall_seconds);
  }
  CloseConnection();
  peer.Stop();
  platform::DestroyWindow(MainWindow);
  MainWindow = nullptr;
  return true;
}

void ReportLoopRun(benchmark::State& state, const LoopRun& run) {
  const double wall = run.cost.wall_seconds;
  state.counters["cpu_percent"] = 100.0 * run.cost.cpu_seconds / wall;
  state.counters["ticks_per_second"] = static_cast<double>(run.ticks) / wall;
  state.counters["messages_per_second"] = static_cast<double>(MessagesIn(run.cost.bytes_consumed)) / wall;
}

// The idle share of one processor that the running client takes: window
// shown, connected to a server that sends nothing, no user input.
void BM_MainLoopIdleCpu(benchmark::State& state) {
  LoopRun run;
  if (RunWindowedLoop(state, false, &run)) ReportLoopRun(state, run);
}
BENCHMARK(BM_MainLoopIdleCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same loop under a bounded flood of "m" messages: the delivery rate of
// the whole client, each frame shown in the window.
void BM_MainLoopDeliversFloodedMoves(benchmark::State& state) {
  LoopRun run;
  if (RunWindowedLoop(state, true, &run)) ReportLoopRun(state, run);
}
BENCHMARK(BM_MainLoopDeliversFloodedMoves)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
