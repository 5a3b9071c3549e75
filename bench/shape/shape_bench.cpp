// Times building a window's shape from a picture: CollectOpaqueRuns over the 24-bit pixels and
// the region made of the runs in one batch. Two kinds of picture: an ellipse with a noisy rim
// (the outline of a drawn picture at its worst: every edge row breaks into many runs), and a
// stress case with noise over nearly half of the picture, which gives about a hundred times as
// many runs. The time should grow with the number of runs and no faster.
//
// Each size is timed by wall clock and by the thread's processor time; on a busy machine the
// wall clock also counts the time others had the processor, so the verdict uses the latter.
// Each pass runs in a process of its own (see main for fresh and reused memory).
//
//   shape_bench [repetitions]
#include <malloc.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <QRegion>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "shell/dib_section.h"
#include "shell/opaque_runs.h"
#include "shell/shaped_window_qt.h"

namespace {

enum class Noise { Edges, Everywhere };

// A picture with a black key: an ellipse whose rim is noise. Edges: a band of 12 pixels along
// the rim, half of it key colour at random. Everywhere: the outer 30 % of the ellipse is noise,
// and specks of noise cover the rest of the picture.
void Paint(droplet::cDIBSection& dib, Noise noise, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> coin(0, 99);
  const int w = dib.Width();
  const int h = dib.Height();
  const double radius = std::min(w, h) / 2.0;
  std::uint8_t* bits = dib.DIBSectionBitsPtr();
  for (int row = 0; row < h; ++row) {
    std::uint8_t* line = bits + static_cast<std::ptrdiff_t>(row) * dib.BytesPerScanLine();
    for (int x = 0; x < w; ++x) {
      const double dx = (x - w / 2.0) / (w / 2.0);
      const double dy = (row - h / 2.0) / (h / 2.0);
      const double d = dx * dx + dy * dy;
      bool inside;
      if (noise == Noise::Edges) {
        const double fromRim = (std::sqrt(d) - 1.0) * radius;  // pixels, negative inside
        inside = fromRim < -6.0 ? true : fromRim < 6.0 ? coin(random) < 50 : false;
      } else {
        inside = d < 0.7 ? true : d < 1.0 ? coin(random) < 50 : coin(random) < 25;
      }
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

Measure Time(int width, int height, Noise noise, int repetitions) {
  droplet::cDIBSection dib;
  if (!dib.Create(width, height)) std::exit(1);
  Paint(dib, noise, 12345u + static_cast<std::uint32_t>(width));
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

struct Verdict {
  bool fast = false;    // the largest picture under 20 ms of processor time
  bool linear = false;  // the cost per run grew less than twofold
};

// Prints one table and its verdict. The cost per run is a fair measure of linearity only where
// the runs grow with the area, as the scan does: with noise on the edges alone they grow with
// the height, and the line says so instead.
Verdict Pass(const char* title, Noise noise, int repetitions) {
  const int sizes[][2] = {{240, 135}, {480, 270}, {960, 540}, {1920, 1080}};
  std::printf("%s\n%-11s %10s %9s %9s %12s\n", title, "picture", "runs", "wall ms", "cpu ms",
              "cpu ns/run");
  double firstPerRun = 0;
  double lastPerRun = 0;
  double largestMs = 0;
  for (const auto& size : sizes) {
    const Measure m = Time(size[0], size[1], noise, repetitions);
    const double perRun = m.medianCpuMs * 1e6 / static_cast<double>(m.runs);
    // The smallest picture fits in the processor's cache; the ratio starts at the next one.
    if (size[0] != sizes[0][0] && firstPerRun == 0) firstPerRun = perRun;
    lastPerRun = perRun;
    largestMs = m.medianCpuMs;
    std::printf("%4d x %-4d %10zu %9.2f %9.2f %12.1f\n", size[0], size[1], m.runs, m.medianMs,
                m.medianCpuMs, perRun);
  }
  Verdict verdict;
  verdict.fast = largestMs < 20.0;
  verdict.linear = lastPerRun < 2.0 * firstPerRun;
  std::printf("1920 x 1080 under 20 ms of processor time: %s; ", verdict.fast ? "yes" : "NO");
  if (noise == Noise::Everywhere) {
    std::printf("cost per run grows %.2f-fold from 480 x 270 to 1920 x 1080 (linear: %s)\n\n",
                lastPerRun / firstPerRun, verdict.linear ? "yes" : "NO");
  } else {
    std::printf("runs grow with the height, the scan with the area\n\n");
  }
  return verdict;
}

// Runs one pass in a child process of its own, so that every pass starts, as a window's
// shaping does, with memory the process never had. The child's exit status is its verdict.
Verdict PassInChild(const char* title, Noise noise, int repetitions, bool reuseMemory) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child < 0) std::exit(2);
  if (child == 0) {
    if (reuseMemory) {
      mallopt(M_MMAP_THRESHOLD, 256 << 20);
      mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
    const Verdict verdict = Pass(title, noise, repetitions);
    std::fflush(stdout);
    _exit((verdict.fast ? 1 : 0) | (verdict.linear ? 2 : 0));
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) std::exit(2);
  return Verdict{(WEXITSTATUS(status) & 1) != 0, (WEXITSTATUS(status) & 2) != 0};
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  // Fresh memory: every repetition gets new pages from the system, as a window's one shaping
  // does (on a virtual machine the first touch of a page can cost more than the work itself).
  // Reused memory keeps the allocator from handing pages back: the scan and the region alone.
  const Verdict edges = PassInChild("noisy edges, fresh memory", Noise::Edges, repetitions, false);
  const Verdict fresh =
      PassInChild("noise everywhere, fresh memory", Noise::Everywhere, repetitions, false);
  const Verdict reused =
      PassInChild("noise everywhere, reused memory", Noise::Everywhere, repetitions, true);
  std::printf("goal (noisy edges under 20 ms, linear in the runs): %s\n",
              edges.fast && fresh.linear && reused.linear ? "met" : "NOT met");
  std::printf("stress picture under 20 ms: fresh memory %s, reused memory %s\n",
              fresh.fast ? "yes" : "no", reused.fast ? "yes" : "no");
  return edges.fast && fresh.linear && reused.linear ? 0 : 1;
}
