// Start-up time of Orvane's shaped, topmost window against a plain Qt window: each program is
// started, shows its window and ends at the first expose; the runs alternate, and the medians
// and their ratio are printed. Needs an X display (run it inside xvfb-run).
//   droplet_startup_bench [RUNS]
// The same measure for two program files, e.g. an installed program against the build tree's:
// each is started (from its own folder) until its first top-level window is mapped on the
// display, then ended; nothing else may map windows on that display meanwhile.
//   droplet_startup_bench --programs RUNS PROGRAM_A PROGRAM_B

#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

// Starts `program` in its own folder and returns the time until the display maps its first
// top-level window; the program is then ended.
double RunUntilMapped(Display* display, const std::string& program) {
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, True);  // forget the windows of earlier runs
  const std::string folder = std::filesystem::path(program).parent_path().string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<char*> arguments{const_cast<char*>(program.c_str()), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(spawned));
    std::exit(1);
  }
  bool mapped = false;
  while (!mapped) {
    while (!mapped && XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      mapped = event.type == MapNotify;
    }
    if (mapped) break;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      std::fprintf(stderr, "%s ended before it showed a window\n", program.c_str());
      std::exit(1);
    }
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(30)) {
      std::fprintf(stderr, "%s showed no window in 30 s\n", program.c_str());
      kill(pid, SIGKILL);
      std::exit(1);
    }
    poll(&connection, 1, 100);
  }
  const auto end = std::chrono::steady_clock::now();
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return std::chrono::duration<double, std::milli>(end - start).count();
}

int ComparePrograms(int runs, const std::string& first, const std::string& second) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  RunUntilMapped(display, first);  // warm the caches once for both
  RunUntilMapped(display, second);
  std::vector<double> a;
  std::vector<double> b;
  for (int run = 0; run < runs; ++run) {
    a.push_back(RunUntilMapped(display, first));
    b.push_back(RunUntilMapped(display, second));
  }
  XCloseDisplay(display);
  std::printf("start to first window mapped, median of %d runs each:\n", runs);
  std::printf("  A  %8.1f ms  %s\n", Median(a), first.c_str());
  std::printf("  B  %8.1f ms  %s\n", Median(b), second.c_str());
  std::printf("  ratio B/A %6.2f\n", Median(b) / Median(a));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--programs") == 0) {
    if (argc != 5) {
      std::fprintf(stderr, "usage: droplet_startup_bench --programs RUNS PROGRAM_A PROGRAM_B\n");
      return 2;
    }
    // Each program starts in its own folder: name it absolutely.
    return ComparePrograms(std::max(1, std::atoi(argv[2])),
                           std::filesystem::absolute(argv[3]).string(),
                           std::filesystem::absolute(argv[4]).string());
  }
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
