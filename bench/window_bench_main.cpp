#include "bench/window_bench_main.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "client/platform/ui.h"

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0';
}

namespace {

int RunBenchmarks() {
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!HaveDisplay()) return RunBenchmarks();
  return platform::RunApplication(argc, argv, RunBenchmarks);
}
