// Times DOSOutputs::ExecuteCommand collecting what a producer prints against the same producer
// piped into `dd bs=256` (the same read size, nothing kept), in the same run. Prints the medians
// of several repetitions, their ratio, and the runner's time for 16 MiB against 64 MiB.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "common/desktop_services.h"
#include "front_end/deliverable.h"
#include "runner/dos_outputs.h"

namespace {

// Message boxes have nowhere to go in a benchmark; a failure ends it instead.
class NoDesktop : public droplet::DesktopServices {
 public:
  int ShowBox(const std::string& text, unsigned, const droplet::BoxTitle&,
              droplet::BoxPlacement) override {
    std::fprintf(stderr, "runner_bench: %s\n", text.c_str());
    std::exit(1);
  }
  void PostToWindowThread(std::function<void()> call) override { call(); }
  void SetBusyPointer(bool) override {}
  [[noreturn]] void EndProgram() override { std::exit(1); }
};

// CPU time (user and system) this process has used so far: the runner's own share of the work,
// whatever else the machine is doing.
double ProcessCpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

long PageFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const std::chrono::duration<double, std::milli> elapsed =
      std::chrono::steady_clock::now() - start;
  return elapsed.count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Figures {
  double baseline;  // median wall time of the producer piped into dd
  double runner;    // median wall time of ExecuteCommand
  double cpu;       // this process's CPU time per run of the runner
  long faults;      // this process's page faults per run of the runner
};

// The two are timed in turns, so that both see the same load of a shared machine.
Figures Measure(droplet::DOSOutputs& runner, size_t bytes, int repetitions) {
  const std::string producer = "head -c " + std::to_string(bytes) + " /dev/zero";
  const std::string baseline = producer + " | dd bs=256 of=/dev/null 2>/dev/null";
  std::vector<double> baselineTimes;
  std::vector<double> runnerTimes;
  double cpu = 0;
  long faults = 0;
  // One untimed run first: the runner's buffer grows to the output's size only once in its life.
  runner.ExecuteCommand(producer);
  for (int i = 0; i < repetitions; ++i) {
    baselineTimes.push_back(Milliseconds([&] {
      if (std::system(baseline.c_str()) != 0) {
        std::fprintf(stderr, "runner_bench: the baseline failed\n");
        std::exit(1);
      }
    }));
    const double cpuBefore = ProcessCpuMilliseconds();
    const long faultsBefore = PageFaults();
    runnerTimes.push_back(Milliseconds([&] {
      const std::string result = runner.ExecuteCommand(producer);
      if (result.size() != bytes) {
        std::fprintf(stderr, "runner_bench: got %zu bytes of %zu\n", result.size(), bytes);
        std::exit(1);
      }
    }));
    cpu += ProcessCpuMilliseconds() - cpuBefore;
    faults += PageFaults() - faultsBefore;
  }
  return {Median(baselineTimes), Median(runnerTimes), cpu / repetitions, faults / repetitions};
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  constexpr size_t kMiB = 1024 * 1024;

  NoDesktop desktop;
  droplet::DOSOutputs runner(desktop, droplet::OrvaneDeliverable().runnerTexts);

  const Figures large = Measure(runner, 64 * kMiB, repetitions);
  const Figures small = Measure(runner, 16 * kMiB, repetitions);

  std::printf("repetitions (median of): %d\n", repetitions);
  for (const auto& [size, f] : {std::pair{64, large}, std::pair{16, small}}) {
    std::printf("%d MiB  dd bs=256 on a pipe:  %8.1f ms\n", size, f.baseline);
    std::printf(
        "%d MiB  ExecuteCommand:       %8.1f ms (CPU of this process %.1f ms, %ld page faults)\n",
        size, f.runner, f.cpu, f.faults);
    std::printf("%d MiB  ratio runner / dd:    %8.2f%s\n", size, f.runner / f.baseline,
                size == 64 ? " (goal <= 1.3)" : "");
  }
  std::printf("growth 64 MiB / 16 MiB:       %8.2f runner, %.2f dd, %.2f runner CPU (linear: 4)\n",
              large.runner / small.runner, large.baseline / small.baseline, large.cpu / small.cpu);
  return 0;
}
