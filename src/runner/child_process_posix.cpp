#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/descriptor_posix.h"
#include "common/spawn_posix.h"
#include "runner/child_process.h"
#include "runner/shell_words.h"

namespace droplet {
namespace {

// Reaps the child when it goes, so no way out of a run leaves a zombie behind, and records
// how it ended. The read end closes first: should a listener throw, the child must not stay
// blocked on a full pipe while this side waits for it. The stopper is disarmed before the
// child is reaped: until then its id, which is also its group's, cannot be given to another.
class ChildReaper {
 public:
  ChildReaper(pid_t pid, Descriptor& readEnd, RunStopper* stopper)
      : pid_(pid), readEnd_(readEnd), stopper_(stopper) {}
  ~ChildReaper() { Reap(); }
  ChildReaper(const ChildReaper&) = delete;
  ChildReaper& operator=(const ChildReaper&) = delete;

  ChildExit Reap() {
    if (pid_ <= 0) return exit_;
    readEnd_.Close();
    if (stopper_ != nullptr) stopper_->Disarm();
    int status = 0;
    const pid_t reaped = WaitForChild(pid_, status);
    pid_ = 0;
    if (reaped > 0) {
      exit_.known = WIFEXITED(status) || WIFSIGNALED(status);
      exit_.signalled = WIFSIGNALED(status);
      exit_.code = WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status);
    }
    return exit_;
  }

 private:
  pid_t pid_;
  Descriptor& readEnd_;
  RunStopper* stopper_;
  ChildExit exit_;
};

// The child's descriptors: standard output and standard error are the pipe's write end,
// standard input is /dev/null, and nothing else of this program reaches it. The write end goes
// onto 1 and 2 before /dev/null is opened onto 0, which is right even when the write end
// itself happens to be descriptor 0.
int PrepareFileActions(posix_spawn_file_actions_t* actions, int writeEnd) {
  if (int error = ::posix_spawn_file_actions_adddup2(actions, writeEnd, STDOUT_FILENO)) {
    return error;
  }
  if (int error = ::posix_spawn_file_actions_adddup2(actions, writeEnd, STDERR_FILENO)) {
    return error;
  }
  if (int error =
          ::posix_spawn_file_actions_addopen(actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0)) {
    return error;
  }
  return ::posix_spawn_file_actions_addclosefrom_np(actions, STDERR_FILENO + 1);
}

// The child starts with no signal blocked and every signal at its default action, whatever
// this program ignores (SIGPIPE, for one) or blocks, and leads a process group of its own, so
// that a stop reaches everything it starts.
int PrepareAttributes(posix_spawnattr_t* attributes) {
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  if (int error = ::posix_spawnattr_setsigmask(attributes, &none)) return error;
  if (int error = ::posix_spawnattr_setsigdefault(attributes, &all)) return error;
  if (int error = ::posix_spawnattr_setpgroup(attributes, 0)) return error;
  return ::posix_spawnattr_setflags(
      attributes,
      static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP));
}

// Pointers to the words, as posix_spawn wants them; it does not change them.
std::vector<char*> ArgumentVector(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

// Starts the program of a plain line directly, as the shell would have; any trouble leaves the
// line to the shell, which then reports it in its own words and with its own exit code.
int SpawnPlainWords(pid_t& pid, std::vector<std::string> words,
                    const posix_spawn_file_actions_t* actions,
                    const posix_spawnattr_t* attributes) {
  std::vector<char*> argv = ArgumentVector(words);
  const std::string& program = words.front();
  return program.find('/') != std::string::npos
             ? ::posix_spawn(&pid, program.c_str(), actions, attributes, argv.data(), environ)
             : ::posix_spawnp(&pid, program.c_str(), actions, attributes, argv.data(), environ);
}

int SpawnThroughShell(pid_t& pid, const std::string& commandLine,
                      const posix_spawn_file_actions_t* actions,
                      const posix_spawnattr_t* attributes) {
  std::vector<std::string> words = {"sh", "-c", commandLine};
  std::vector<char*> argv = ArgumentVector(words);
  return ::posix_spawn(&pid, "/bin/sh", actions, attributes, argv.data(), environ);
}

}  // namespace

SpawnResult RunWithMergedOutput(const std::string& commandLine,
                                const std::function<void(std::string_view)>& onChunk,
                                RunStopper* stopper) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return {SpawnStatus::kPipeFailed, errno, {}, false};
  Descriptor readEnd(ends[0]);
  Descriptor writeEnd(ends[1]);

  SpawnFileActions actions;
  SpawnAttributes attributes;
  if (int error = PrepareFileActions(actions.get(), writeEnd.get())) {
    return {SpawnStatus::kProcessFailed, error, {}, false};
  }
  if (int error = PrepareAttributes(attributes.get())) {
    return {SpawnStatus::kProcessFailed, error, {}, false};
  }

  pid_t pid = 0;
  int error = -1;
  if (auto words = PlainShellWords(commandLine)) {
    error = SpawnPlainWords(pid, std::move(*words), actions.get(), attributes.get());
  }
  if (error != 0) error = SpawnThroughShell(pid, commandLine, actions.get(), attributes.get());
  if (error != 0) return {SpawnStatus::kProcessFailed, error, {}, false};
  ChildReaper reaper(pid, readEnd, stopper);
  if (stopper != nullptr) {
    // The group is the child's own: its id is the child's, valid until the child is reaped.
    stopper->Arm([pid] { ::kill(-pid, SIGKILL); });
  }

  // From here on only the child side holds the write end: the pipe ends when it lets go.
  writeEnd.Close();

  char buffer[kPipeChunkSize];
  for (;;) {
    const ssize_t count = ReadRetrying(readEnd.get(), buffer, sizeof buffer);
    if (count <= 0) break;
    onChunk(std::string_view(buffer, static_cast<size_t>(count)));
  }
  onChunk(std::string_view());
  SpawnResult result{SpawnStatus::kStarted, 0, reaper.Reap(), false};
  result.stopped = stopper != nullptr && stopper->StopRequested();
  return result;
}

}  // namespace droplet
