// Real drags from an X11 program (the GUI tests' Qt drag source, moved by xdotool) onto the
// Win32 droplet running under Wine (drop_host_win32.cpp, the program's main window with the
// Windows test converters), ending with the result in the output folder. A Linux program: the
// Windows build's tests run it (tests/wine_drag/CMakeLists.txt) with
//   DROPLET_WINE_DROP_HOST   the host executable
//   DROPLET_TEST_CONVERTERS  the folder of the Windows test converters
// and skip it, saying why, when those, wine or the display are missing.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/pdf_writer.h"
#include "support/temp_folder.h"

extern char** environ;

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A child process whose standard output is read line by line.
class Child {
 public:
  explicit Child(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    output_ = pipeEnds[0];
  }
  ~Child() {
    Kill();
    if (output_ >= 0) close(output_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }

  // The next line of output, or nothing once `timeout` has passed or the output ended.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (;;) {
      if (const auto newline = buffer_.find('\n'); newline != std::string::npos) {
        std::string line = buffer_.substr(0, newline);
        buffer_.erase(0, newline + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
      if (left <= 0 || output_ < 0) return std::nullopt;
      pollfd wait{output_, POLLIN, 0};
      if (poll(&wait, 1, static_cast<int>(left)) <= 0) continue;
      char chunk[4096];
      const ssize_t count = read(output_, chunk, sizeof chunk);
      if (count <= 0) {
        close(output_);
        output_ = -1;
        continue;
      }
      buffer_.append(chunk, static_cast<size_t>(count));
    }
  }

  // Waits up to `timeout` for the child's end; its exit status, or -1.
  int Wait(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (pid_ > 0) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (Clock::now() > end) return -1;
      usleep(20000);
    }
    return -1;
  }

  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  std::string buffer_;
};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool OnSearchPath(const std::string& program) {
  std::string path = Environment("PATH");
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find(':', start), path.size());
    if (access((path.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// The path as Wine's programs see it: the Unix root is drive Z.
std::string WinePath(const fs::path& path) {
  std::string text = "Z:" + path.string();
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return text;
}

struct DragOutcome {
  int dropAction = -1;  // as the drag source reports it: 1 copy, 0 refused
  std::vector<std::pair<std::string, std::string>> boxes;  // title, text (\r \n escaped)
  std::vector<std::string> opened;
  bool boxInsideDrop = false;  // a box showed while the drop handler had not returned
  int hostStatus = -1;
};

class WineDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = Environment("DROPLET_WINE_DROP_HOST");
    converters_ = Environment("DROPLET_TEST_CONVERTERS");
    if (host_.empty() || !fs::exists(host_) || converters_.empty()) {
      GTEST_SKIP() << "WINE-DRAG SKIPPED: no Windows build (DROPLET_WINE_DROP_HOST, "
                      "DROPLET_TEST_CONVERTERS)";
    }
    if (!OnSearchPath("wine") || !OnSearchPath("xdotool")) {
      GTEST_SKIP() << "WINE-DRAG SKIPPED: wine or xdotool is not installed";
    }
    if (Environment("DISPLAY").empty()) GTEST_SKIP() << "WINE-DRAG SKIPPED: no X display";
  }

  // Starts the droplet under Wine, drags `pdf` onto it from the drag source and collects what
  // the droplet reports once the drop's handling has ended.
  DragOutcome DragOnto(const std::string& program, const fs::path& pdf) {
    DragOutcome outcome;
    Child host({"wine", host_, program, WinePath(programFolder_.path()), WinePath(converters_),
                WinePath(current_.path())});
    EXPECT_TRUE(host.started());
    const std::optional<std::string> ready = host.ReadLine(std::chrono::seconds(60));
    if (!ready || ready->rfind("ready ", 0) != 0) {
      ADD_FAILURE() << "the droplet did not start: " << ready.value_or("(nothing)");
      return outcome;
    }
    int targetX = 0;
    int targetY = 0;
    std::sscanf(ready->c_str(), "ready %d %d", &targetX, &targetY);

    Child source({DROPLET_DRAG_SOURCE, "60", "120", pdf.string()});
    const std::optional<std::string> sourceReady = source.ReadLine(std::chrono::seconds(20));
    EXPECT_EQ(sourceReady.value_or(""), "ready");
    std::vector<std::string> script = {"xdotool", "mousemove", "100",       "160",
                                       "sleep",   "0.3",       "mousedown", "1"};
    constexpr int kSteps = 20;
    for (int step = 1; step <= kSteps; ++step) {
      script.insert(script.end(), {"sleep", "0.05", "mousemove",
                                   std::to_string(100 + (targetX - 100) * step / kSteps),
                                   std::to_string(160 + (targetY - 160) * step / kSteps)});
    }
    script.insert(script.end(), {"sleep", "0.3", "mouseup", "1"});
    Child mouse(script);
    EXPECT_EQ(mouse.Wait(std::chrono::seconds(30)), 0) << "xdotool";
    if (const std::optional<std::string> result = source.ReadLine(std::chrono::seconds(30))) {
      std::sscanf(result->c_str(), "result %d", &outcome.dropAction);
    }

    while (const std::optional<std::string> line = host.ReadLine(std::chrono::seconds(90))) {
      if (*line == "done") break;
      const size_t tab = line->find('\t');
      const std::string kind = line->substr(0, tab);
      const std::string rest = tab == std::string::npos ? "" : line->substr(tab + 1);
      if (kind == "box") {
        const size_t second = rest.find('\t');
        outcome.boxes.emplace_back(rest.substr(0, second), rest.substr(second + 1));
      } else if (kind == "opened") {
        outcome.opened.push_back(rest);
      } else if (kind == "box-inside-drop") {
        outcome.boxInsideDrop = true;
      }
    }
    outcome.hostStatus = host.Wait(std::chrono::seconds(20));
    return outcome;
  }

  fs::path Document(const std::string& name, const std::string& text) {
    const fs::path pdf = documents_.path() / PathFromUtf8(name);
    WritePdf(pdf, {PdfPage{{text}}});
    return pdf;
  }

  std::vector<std::string> Output() const { return NamesIn(programFolder_.path() / "output"); }

  std::string host_;
  std::string converters_;
  TempFolder programFolder_;
  TempFolder documents_;
  TempFolder current_;
};

TEST_F(WineDrop, DraggedPdfBecomesTextInTheOutputFolder) {
  const fs::path pdf = Document("relazione annuale.pdf", "Ciao mondo");
  const DragOutcome outcome = DragOnto("tessik", pdf);
  EXPECT_EQ(outcome.dropAction, 1) << "the drag source saw its copy accepted";
  EXPECT_FALSE(outcome.boxInsideDrop) << "the drop returns before the confirmation shows";
  EXPECT_EQ(outcome.hostStatus, 0);
  ASSERT_EQ(outcome.boxes.size(), 3u);
  EXPECT_EQ(
      outcome.boxes[0].second,
      "Eseguire la conversione in formato TESTO ?\\r\\n\\r\\n(file : " + WinePath(pdf) + " )");
  EXPECT_EQ(outcome.boxes[0].first, ";-)");
  EXPECT_EQ(outcome.boxes[1].second, "Conversione completa");
  EXPECT_EQ(outcome.opened, std::vector<std::string>{WinePath(programFolder_.path() / "output")});
  const std::vector<std::string> results = Output();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_NE(ReadFile(programFolder_.path() / "output" / results[0]).find("Ciao mondo"),
            std::string::npos);
  EXPECT_EQ(NamesIn(programFolder_.path()), std::vector<std::string>{"output"});
  EXPECT_TRUE(fs::exists(pdf)) << "the dragged file stays";
}

TEST_F(WineDrop, HostileNameRunsNothingElse) {
  const fs::path pdf = Document("a&mkdir pwned-ampersand&.pdf", "Pagina uno");
  const DragOutcome outcome = DragOnto("orvane", pdf);
  EXPECT_EQ(outcome.dropAction, 1);
  ASSERT_EQ(outcome.boxes.size(), 3u);
  EXPECT_EQ(outcome.boxes[1].second, "Conversione completa");
  EXPECT_EQ(NamesIn(current_.path()), std::vector<std::string>{}) << "something ran";
  bool index = false;
  for (const std::string& name : Output()) index = index || name.ends_with(".html");
  EXPECT_TRUE(index) << "no HTML result";
  EXPECT_EQ(NamesIn(programFolder_.path()), std::vector<std::string>{"output"});
}

TEST_F(WineDrop, NameOutsideTheAnsiCodePageSurvivesTheDropAndTheCopy) {
  const std::string name = "отчёт 报告 Ελληνικά.pdf";
  const fs::path pdf = Document(name, "Ciao mondo");
  const DragOutcome outcome = DragOnto("tessik", pdf);
  EXPECT_EQ(outcome.dropAction, 1);
  ASSERT_EQ(outcome.boxes.size(), 3u);
  EXPECT_NE(outcome.boxes[0].second.find(name), std::string::npos) << outcome.boxes[0].second;
  EXPECT_EQ(outcome.boxes[1].second, "Conversione completa");
  const std::vector<std::string> results = Output();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_NE(ReadFile(programFolder_.path() / "output" / results[0]).find("Ciao mondo"),
            std::string::npos);
}

}  // namespace
}  // namespace droplet::testing
