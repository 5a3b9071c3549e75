#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/quoting.h"
#include "front_end/deliverable.h"
#include "runner/child_process.h"
#include "runner/dos_outputs.h"
#include "runner_fixture.h"
#include "support/temp_folder.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

size_t OpenDescriptorCount() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST_F(RunnerTest, ProcessThatKeepsTheWriteEndKeepsTheRunReading) {
  const auto start = std::chrono::steady_clock::now();
  const std::string result = runner_.ExecuteCommand("(sleep 1; printf late) & printf early");
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result, "earlylate");
  EXPECT_GE(elapsed, std::chrono::milliseconds(900));
}

TEST_F(RunnerTest, ChildSeesOnlyEmptyInputAndThePipe) {
  // A descriptor this program opened without close-on-exec, as toolkits do.
  const int stray = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(stray, 0);
  // The shell's own table, seen by ls while the shell waits for it ("0 -> /dev/null", ...).
  const std::string result = runner_.ExecuteCommand("ls -l /proc/$$/fd");
  ::close(stray);

  std::vector<std::string> lines;
  for (const std::string& line : Lines(result)) {
    const auto arrow = line.find(" -> ");
    if (arrow == std::string::npos) continue;
    lines.push_back(line.substr(line.rfind(' ', arrow - 1) + 1));
  }
  ASSERT_EQ(lines.size(), 3u) << result;
  EXPECT_EQ(lines[0], "0 -> /dev/null");
  EXPECT_EQ(lines[1].rfind("1 -> pipe:[", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2], "2" + lines[1].substr(1));  // the same pipe

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runner_.ExecuteCommand("cat"), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(RunnerTest, ChildStartsWithDefaultSignals) {
  struct sigaction previousPipe {};
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGPIPE, &ignore, &previousPipe), 0);
  sigset_t block;
  sigemptyset(&block);
  sigaddset(&block, SIGUSR1);
  sigset_t previousMask;
  ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &block, &previousMask), 0);

  const std::string result =
      runner_.ExecuteCommand("exec grep -E '^Sig(Ign|Blk)' /proc/self/status");

  ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  ::sigaction(SIGPIPE, &previousPipe, nullptr);
  const std::vector<std::string> lines = Lines(result);
  ASSERT_EQ(lines.size(), 2u) << result;
  EXPECT_EQ(lines[0], "SigBlk:\t0000000000000000");
  // The C library's spawn leaves its own two internal real-time signals (32 and 33) ignored;
  // every classic signal (1 to 31) must be back at its default.
  ASSERT_EQ(lines[1].rfind("SigIgn:\t", 0), 0u) << lines[1];
  const unsigned long long ignored = std::stoull(lines[1].substr(8), nullptr, 16);
  EXPECT_EQ(ignored & 0x7FFFFFFFull, 0u) << lines[1];
}

TEST(DOSOutputs, PipeFailureShowsTheSystemCodeAndKeepsOutputs) {
  const struct {
    const Deliverable& deliverable;
    std::string text;
  } cases[] = {{OrvaneDeliverable(), "CreatePipe failed. Error: 24"},
               {TessikDeliverable(), "Creazione Pipe Fallita. Errore: 24"}};
  for (const auto& c : cases) {
    ScriptedDesktop desktop;
    DOSOutputs runner(desktop, c.deliverable.runnerTexts);
    // The first box call goes through the undefined-behaviour sanitizer's type check, which
    // needs descriptors of its own; have it here, before descriptors run out.
    runner.ExecuteCommand();
    desktop.Clear();
    ASSERT_EQ(runner.ExecuteCommand("printf kept"), "kept");
    int notifications = 0;
    runner.AddReceiveOutputsListener([&](std::string&) { ++notifications; });

    // With the limit at the lowest free descriptor, no new descriptor can be had (EMFILE).
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &previous), 0);
    const int lowestFree = ::dup(0);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    rlimit lowered = previous;
    lowered.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const std::string result = runner.ExecuteCommand();
    ::setrlimit(RLIMIT_NOFILE, &previous);

    EXPECT_EQ(result, "");
    EXPECT_EQ(desktop.texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(desktop.boxes().at(0).style, kMbOk | kMbIconStop);
    EXPECT_EQ(runner.Outputs(), "kept");
    EXPECT_EQ(notifications, 0);
  }
}

TEST_F(RunnerTest, ShellIsReapedAndNothingIsLeftOpen) {
  const size_t before = OpenDescriptorCount();
  const std::string result = runner_.ExecuteCommand("printf %s $$");
  const pid_t shell = static_cast<pid_t>(std::stol(result));
  int status = 0;
  EXPECT_EQ(::waitpid(shell, &status, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(RunnerTest, ListenerFailureLeavesNoChildOrDescriptorBehind) {
  const size_t before = OpenDescriptorCount();
  runner_.AddReceiveOutputsListener([](std::string&) { throw std::runtime_error("listener"); });
  // The child writes far more than the pipe holds: it must not keep the run waiting.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(runner_.ExecuteCommand(ChildCommand("count:10000000")), std::runtime_error);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  int status = 0;
  EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(RunnerTest, CommandTheShellCannotFindEndsNormallyWithItsComplaint) {
  // A plain line, which would be started without the shell: the shell still has the last word.
  const std::string result = runner_.ExecuteCommand("droplet-no-such-command-4711 a.pdf");
  EXPECT_NE(result.find("droplet-no-such-command-4711"), std::string::npos) << result;
  EXPECT_NE(result.find("not found"), std::string::npos) << result;
  EXPECT_TRUE(desktop_.boxes().empty());
  EXPECT_EQ(runner_.LastExit().code, 127);
}

// Lines of plain and single-quoted words are started without the shell; every line must still
// mean exactly what it means to /bin/sh.
TEST_F(RunnerTest, LinesStartedWithoutTheShellMeanWhatTheyMeanToIt) {
  TempFolder folder;
  WriteFile(folder.path() / "a b", "x");
  const std::string quotedFolder = QuoteForPosixShell(folder.str());
  for (const std::string& line : std::vector<std::string>{
           "'/bin/echo' uno 'due  tre' quattro=5 ''",
           "/bin/echo it'\\'s",                    // the shell's own quoting
           "echo $HOME ~",                         // expansions
           "true",                                 // a built-in of the shell
           "ls " + quotedFolder,                   // a program on the search path
           "ls " + quotedFolder + "/*",            // a glob
           "X=1 /usr/bin/env",                     // an assignment
           "exit 7",                               // a built-in that ends the shell
           "'ls' " + quotedFolder + " # comment",  // a comment
       }) {
    SCOPED_TRACE(line);
    const std::string direct = runner_.ExecuteCommand(line);
    const int directExit = runner_.LastExit().code;
    const std::string viaShell = runner_.ExecuteCommand("/bin/sh -c " + QuoteForPosixShell(line));
    EXPECT_EQ(direct, viaShell);
    EXPECT_EQ(directExit, runner_.LastExit().code);
  }
}

TEST(RunWithMergedOutput, StopEndsTheChildAndEverythingItStarted) {
  RunStopper stopper;
  std::string output;
  std::thread stop([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stopper.Stop();
  });
  const auto start = std::chrono::steady_clock::now();
  // The shell leaves a child of its own running in the background, holding the pipe.
  const SpawnResult result = RunWithMergedOutput(
      "echo $$; sleep 30 & sleep 30", [&](std::string_view chunk) { output.append(chunk); },
      &stopper);
  stop.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(result.exit.signalled);
  EXPECT_EQ(LivingProcessesInGroup(std::stoi(output)), 0) << "a process of the run is still there";
}

TEST_F(RunnerTest, BytesPassThroughUnchanged) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(runner_.ExecuteCommand(ChildCommand("bytes")), all);
  EXPECT_EQ(runner_.ExecuteCommand("printf '%s' 'Conversione è completa €'"),
            "Conversione è completa €");
}

}  // namespace
}  // namespace droplet::testing
