// Start-up time of Orvane's shaped, topmost window against a plain Qt window: each program is
// started, shows its window and ends at the first expose; the runs alternate, and the medians
// and their ratio are printed. Needs an X display (run it inside xvfb-run).
//   droplet_startup_bench [RUNS]

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

double RunOnce(const std::string& probe, const char* which) {
  std::vector<char*> arguments{const_cast<char*>(probe.c_str()), const_cast<char*>(which), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, probe.c_str(), nullptr, nullptr, arguments.data(), environ) != 0) {
    std::perror("posix_spawn");
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s %s failed (status %d)\n", probe.c_str(), which, status);
    std::exit(1);
  }
  return std::chrono::duration<double, std::milli>(end - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string probe = DROPLET_STARTUP_PROBE;
  RunOnce(probe, "minimal");  // warm the caches once for both
  RunOnce(probe, "orvane");
  std::vector<double> orvane;
  std::vector<double> minimal;
  for (int run = 0; run < runs; ++run) {
    minimal.push_back(RunOnce(probe, "minimal"));
    orvane.push_back(RunOnce(probe, "orvane"));
  }
  const double orvaneMedian = Median(orvane);
  const double minimalMedian = Median(minimal);
  std::printf("start to first expose, median of %d runs each:\n", runs);
  std::printf("  plain Qt window     %8.1f ms\n", minimalMedian);
  std::printf("  Orvane main window  %8.1f ms\n", orvaneMedian);
  std::printf("  ratio               %8.2f (goal <= 1.5)\n", orvaneMedian / minimalMedian);
  return 0;
}
