// Times building a window's shape from a picture: CollectOpaqueRuns over the 24-bit pixels and
// the region made of the runs in one batch. The pictures have noisy edges, so that they give
// many runs; the time should grow with the number of runs and no faster.
//
//   shape_bench [repetitions]
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
  double medianMs = 0;
};

Measure Time(int width, int height, int repetitions) {
  droplet::cDIBSection dib;
  if (!dib.Create(width, height)) std::exit(1);
  Paint(dib, 12345u + static_cast<std::uint32_t>(width));
  std::vector<double> times;
  Measure result;
  for (int i = 0; i < repetitions; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<droplet::RunRect> runs = droplet::CollectOpaqueRuns(
        dib.DIBSectionBitsPtr(), dib.BytesPerScanLine(), width, height, 0, 0, 0);
    const QRegion region = droplet::RegionFromRuns(runs);
    const auto end = std::chrono::steady_clock::now();
    if (region.isEmpty()) std::exit(1);
    result.runs = runs.size();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::nth_element(times.begin(), times.begin() + repetitions / 2, times.end());
  result.medianMs = times[static_cast<std::size_t>(repetitions / 2)];
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const int sizes[][2] = {{240, 135}, {480, 270}, {960, 540}, {1920, 1080}};
  std::printf("%-11s %10s %11s %12s\n", "picture", "runs", "median ms", "ns per run");
  double firstPerRun = 0;
  double lastPerRun = 0;
  double largestMs = 0;
  for (const auto& size : sizes) {
    const Measure m = Time(size[0], size[1], repetitions);
    const double perRun = m.medianMs * 1e6 / static_cast<double>(m.runs);
    if (firstPerRun == 0) firstPerRun = perRun;
    lastPerRun = perRun;
    largestMs = m.medianMs;
    std::printf("%4d x %-4d %10zu %11.2f %12.1f\n", size[0], size[1], m.runs, m.medianMs, perRun);
  }
  const bool fast = largestMs < 20.0;
  const bool linear = lastPerRun < 2.0 * firstPerRun;
  std::printf(
      "1920 x 1080 under 20 ms: %s; cost per run grows %.2f-fold from the smallest to "
      "the largest picture (linear: %s)\n",
      fast ? "yes" : "NO", lastPerRun / firstPerRun, linear ? "yes" : "NO");
  return fast && linear ? 0 : 1;
}
