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
  int ShowMessageBox(const std::string& text, unsigned, const std::string&) override {
    std::fprintf(stderr, "runner_bench: %s\n", text.c_str());
    std::exit(1);
  }
  int ShowCenteredMessageBox(const std::string& text, unsigned style, const std::string& title,
                             bool) override {
    return ShowMessageBox(text, style, title);
  }
  void SetBusyPointer(bool) override {}
  [[noreturn]] void EndProgram() override { std::exit(1); }
};

double MedianMilliseconds(int repetitions, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < repetitions; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    times.push_back(elapsed.count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

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

std::string Producer(size_t bytes) {
  return "head -c " + std::to_string(bytes) + " /dev/zero";
}

struct RunnerTimes {
  double wall;  // median
  double cpu;   // mean per run
  long faults;  // page faults of this process, mean per run
};

RunnerTimes TimeRunner(droplet::DOSOutputs& runner, size_t bytes, int repetitions) {
  const std::string command = Producer(bytes);
  const double cpuBefore = ProcessCpuMilliseconds();
  const long faultsBefore = PageFaults();
  const double wall = MedianMilliseconds(repetitions, [&] {
    const std::string result = runner.ExecuteCommand(command);
    if (result.size() != bytes) {
      std::fprintf(stderr, "runner_bench: got %zu bytes of %zu\n", result.size(), bytes);
      std::exit(1);
    }
  });
  return {wall, (ProcessCpuMilliseconds() - cpuBefore) / repetitions,
          (PageFaults() - faultsBefore) / repetitions};
}

double TimeBaseline(size_t bytes, int repetitions) {
  const std::string command = Producer(bytes) + " | dd bs=256 of=/dev/null 2>/dev/null";
  return MedianMilliseconds(repetitions, [&] {
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "runner_bench: the baseline failed\n");
      std::exit(1);
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  constexpr size_t kMiB = 1024 * 1024;

  NoDesktop desktop;
  droplet::DOSOutputs runner(desktop, droplet::OrvaneDeliverable().runnerTexts);

  const double baseline64 = TimeBaseline(64 * kMiB, repetitions);
  const RunnerTimes runner64 = TimeRunner(runner, 64 * kMiB, repetitions);
  const double baseline16 = TimeBaseline(16 * kMiB, repetitions);
  const RunnerTimes runner16 = TimeRunner(runner, 16 * kMiB, repetitions);

  std::printf("repetitions (median of): %d\n", repetitions);
  std::printf("64 MiB  dd bs=256 on a pipe:  %8.1f ms\n", baseline64);
  std::printf(
      "64 MiB  ExecuteCommand:       %8.1f ms (CPU of this process %.1f ms, %ld page faults)\n",
      runner64.wall, runner64.cpu, runner64.faults);
  std::printf("ratio runner / dd:            %8.2f (goal <= 1.3)\n", runner64.wall / baseline64);
  std::printf("16 MiB  dd bs=256 on a pipe:  %8.1f ms\n", baseline16);
  std::printf(
      "16 MiB  ExecuteCommand:       %8.1f ms (CPU of this process %.1f ms, %ld page faults)\n",
      runner16.wall, runner16.cpu, runner16.faults);
  std::printf("ratio runner / dd:            %8.2f\n", runner16.wall / baseline16);
  std::printf("growth 64 MiB / 16 MiB:       %8.2f runner, %.2f dd, %.2f runner CPU (linear: 4)\n",
              runner64.wall / runner16.wall, baseline64 / baseline16, runner64.cpu / runner16.cpu);
  return 0;
}
