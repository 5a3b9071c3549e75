// Times building a window's shape from a picture: CollectOpaqueRuns over the 24-bit pixels and
// the region made of the runs in one batch. The pictures have noisy edges, so that they give
// many runs; the time should grow with the number of runs and no faster.
//
// Each size is timed by wall clock and by the thread's processor time; on a busy machine the
// wall clock also counts the time others had the processor, so the verdict uses the latter.
// Two passes: "fresh memory" gives every repetition new pages from the system, as a window's
// one shaping gets them (on a virtual machine the first touch of a page can cost more than the
// work itself); "reused memory" keeps the allocator from handing pages back, which shows the
// cost of the scan and the region alone.
//
//   shape_bench [repetitions]
#include <malloc.h>
#include <time.h>
#include <QRegion>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "shell/dib_section.h"
#include "shell/opaque_runs.h"
#include "shell/shaped_window_qt.h"

namespace {

// A picture with a black key: an ellipse whose rim is noise, and scattered specks of noise
// over the whole picture, so that most rows hold many short runs.
void Paint(droplet::cDIBSection& dib, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> coin(0, 99);
  const int w = dib.Width();
  const int h = dib.Height();
  std::uint8_t* bits = dib.DIBSectionBitsPtr();
  for (int row = 0; row < h; ++row) {
    std::uint8_t* line = bits + static_cast<std::ptrdiff_t>(row) * dib.BytesPerScanLine();
    for (int x = 0; x < w; ++x) {
      const double dx = (x - w / 2.0) / (w / 2.0);
      const double dy = (row - h / 2.0) / (h / 2.0);
      const double d = dx * dx + dy * dy;
      const bool inside = d < 0.7 ? true : d < 1.0 ? coin(random) < 50 : coin(random) < 25;
      const std::uint8_t v = inside ? static_cast<std::uint8_t>(40 + (x + row) % 200) : 0;
      line[3 * x] = v;
      line[3 * x + 1] = v;
      line[3 * x + 2] = v;
    }
  }
}

struct Measure {
  std::size_t runs = 0;
  double medianMs = 0;     // wall clock
  double medianCpuMs = 0;  // processor time of this thread
};

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

Measure Time(int width, int height, int repetitions) {
  droplet::cDIBSection dib;
  if (!dib.Create(width, height)) std::exit(1);
  Paint(dib, 12345u + static_cast<std::uint32_t>(width));
  std::vector<double> times;
  std::vector<double> cpuTimes;
  Measure result;
  for (int i = 0; i < repetitions; ++i) {
    const double cpuStart = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    const std::vector<droplet::RunRect> runs = droplet::CollectOpaqueRuns(
        dib.DIBSectionBitsPtr(), dib.BytesPerScanLine(), width, height, 0, 0, 0);
    const QRegion region = droplet::RegionFromRuns(runs);
    const auto end = std::chrono::steady_clock::now();
    cpuTimes.push_back(ThreadCpuMs() - cpuStart);
    if (region.isEmpty()) std::exit(1);
    result.runs = runs.size();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  result.medianMs = Median(times);
  result.medianCpuMs = Median(cpuTimes);
  return result;
}

bool Pass(const char* title, int repetitions) {
  const int sizes[][2] = {{240, 135}, {480, 270}, {960, 540}, {1920, 1080}};
  std::printf("%s\n%-11s %10s %9s %9s %12s\n", title, "picture", "runs", "wall ms", "cpu ms",
              "cpu ns/run");
  double firstPerRun = 0;
  double lastPerRun = 0;
  double largestMs = 0;
  for (const auto& size : sizes) {
    const Measure m = Time(size[0], size[1], repetitions);
    const double perRun = m.medianCpuMs * 1e6 / static_cast<double>(m.runs);
    // The smallest picture fits in the processor's cache; the ratio starts at the next one.
    if (size[0] != sizes[0][0] && firstPerRun == 0) firstPerRun = perRun;
    lastPerRun = perRun;
    largestMs = m.medianCpuMs;
    std::printf("%4d x %-4d %10zu %9.2f %9.2f %12.1f\n", size[0], size[1], m.runs, m.medianMs,
                m.medianCpuMs, perRun);
  }
  const bool fast = largestMs < 20.0;
  const bool linear = lastPerRun < 2.0 * firstPerRun;
  std::printf(
      "1920 x 1080 under 20 ms of processor time: %s; cost per run grows %.2f-fold from "
      "480 x 270 to 1920 x 1080 (linear: %s)\n\n",
      fast ? "yes" : "NO", lastPerRun / firstPerRun, linear ? "yes" : "NO");
  return fast && linear;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const bool fresh = Pass("fresh memory", repetitions);
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  const bool reused = Pass("reused memory", repetitions);
  return fresh && reused ? 0 : 1;
}
