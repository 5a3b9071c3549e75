// Times CleanAllPath emptying a tree of 10,000 files in 100 nested folders against `rm -rf` of
// the same contents (the root made again empty afterwards), in the same run. Prints the medians
// of several repetitions and their ratio.
//
//   clean_all_path_bench [folder]   the tree is built inside `folder` (default: the system's
//                                   temporary folder)

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/quoting.h"
#include "files/file_operations.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kRepetitions = 5;

// 100 folders nested ten deep in ten chains, 100 small files in each, a few read-only or hidden
// as a converter's output folder may hold them.
void BuildTree(const fs::path& root) {
  for (int chain = 0; chain < kFolders / 10; ++chain) {
    fs::path folder = root;
    for (int level = 0; level < 10; ++level) {
      folder /= "folder " + std::to_string(chain) + "-" + std::to_string(level);
      fs::create_directory(folder);
      for (int i = 0; i < kFilesPerFolder; ++i) {
        std::string name = i % 50 == 1 ? ".page" : "page";
        name.append(std::to_string(i)).append(".html");
        std::ofstream(folder / name) << "<html><body>page " << i << "</body></html>\n";
        if (i % 50 == 2)
          fs::permissions(folder / name, fs::perms::owner_write, fs::perm_options::remove);
      }
    }
  }
}

double TimeMilliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
  const fs::path root = base / ("clean_all_path_bench-" + std::to_string(::getpid()));
  fs::create_directory(root);
  const std::string rootText = root.string();

  std::vector<double> ours;
  std::vector<double> baseline;
  for (int repetition = 0; repetition < kRepetitions; ++repetition) {
    BuildTree(root);
    ::sync();
    try {
      ours.push_back(TimeMilliseconds([&] { droplet::CleanAllPath(rootText); }));
    } catch (const droplet::OperationFailure& failure) {
      std::fprintf(stderr, "CleanAllPath failed: %s\n",
                   droplet::FormatFailureReport(failure.failure()).c_str());
      return 1;
    }
    if (!fs::is_empty(root)) {
      std::fprintf(stderr, "CleanAllPath left entries behind\n");
      return 1;
    }

    BuildTree(root);
    ::sync();
    const std::string command = "rm -rf " + droplet::QuoteForPosixShell(rootText) + " && mkdir " +
                                droplet::QuoteForPosixShell(rootText);
    baseline.push_back(TimeMilliseconds([&] {
      if (std::system(command.c_str()) != 0) std::exit(1);
    }));
  }
  fs::remove_all(root);

  const double oursMedian = Median(ours);
  const double baselineMedian = Median(baseline);
  std::printf("tree: %d files in %d nested folders, %d repetitions, medians\n",
              kFolders * kFilesPerFolder, kFolders, kRepetitions);
  std::printf("CleanAllPath: %.1f ms\n", oursMedian);
  std::printf("rm -rf: %.1f ms\n", baselineMedian);
  std::printf("ratio: %.2f (goal <= 1.5)\n", oursMedian / baselineMedian);
  return 0;
}
