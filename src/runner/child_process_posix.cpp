#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "common/descriptor_posix.h"
#include "runner/child_process.h"

namespace droplet {
namespace {

class SpawnFileActions {
 public:
  SpawnFileActions() { ::posix_spawn_file_actions_init(&actions_); }
  ~SpawnFileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
  SpawnFileActions(const SpawnFileActions&) = delete;
  SpawnFileActions& operator=(const SpawnFileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { ::posix_spawnattr_init(&attributes_); }
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

// Waits for the shell when it goes, so no way out of a run leaves a zombie behind. The read end
// closes first: should a listener throw, the shell must not stay blocked on a full pipe while
// this side waits for it.
class ChildReaper {
 public:
  ChildReaper(pid_t pid, Descriptor& readEnd) : pid_(pid), readEnd_(readEnd) {}
  ~ChildReaper() {
    readEnd_.Close();
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ChildReaper(const ChildReaper&) = delete;
  ChildReaper& operator=(const ChildReaper&) = delete;

 private:
  pid_t pid_;
  Descriptor& readEnd_;
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
// this program ignores (SIGPIPE, for one) or blocks.
int PrepareAttributes(posix_spawnattr_t* attributes) {
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  if (int error = ::posix_spawnattr_setsigmask(attributes, &none)) return error;
  if (int error = ::posix_spawnattr_setsigdefault(attributes, &all)) return error;
  return ::posix_spawnattr_setflags(
      attributes, static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
}

}  // namespace

SpawnResult RunWithMergedOutput(const std::string& commandLine,
                                const std::function<void(std::string_view)>& onChunk) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return {SpawnStatus::kPipeFailed, errno};
  Descriptor readEnd(ends[0]);
  Descriptor writeEnd(ends[1]);

  SpawnFileActions actions;
  SpawnAttributes attributes;
  if (int error = PrepareFileActions(actions.get(), writeEnd.get())) {
    return {SpawnStatus::kProcessFailed, error};
  }
  if (int error = PrepareAttributes(attributes.get())) {
    return {SpawnStatus::kProcessFailed, error};
  }

  // posix_spawn takes non-const strings but does not change them.
  char shell[] = "sh";
  char option[] = "-c";
  std::string line = commandLine;
  char* argv[] = {shell, option, line.data(), nullptr};
  pid_t pid = 0;
  if (int error = ::posix_spawn(&pid, "/bin/sh", actions.get(), attributes.get(), argv, environ)) {
    return {SpawnStatus::kProcessFailed, error};
  }
  ChildReaper reaper(pid, readEnd);

  // From here on only the child side holds the write end: the pipe ends when it lets go.
  writeEnd.Close();

  char buffer[kPipeChunkSize];
  for (;;) {
    const ssize_t count = ::read(readEnd.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    onChunk(std::string_view(buffer, static_cast<size_t>(count)));
  }
  onChunk(std::string_view());
  return {SpawnStatus::kStarted, 0};
}

}  // namespace droplet
