#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace droplet {

enum class SpawnStatus { kStarted, kPipeFailed, kProcessFailed };

// How a started child ended.
struct ChildExit {
  bool known = false;  // false when the platform could not tell
  bool signalled = false;
  int code = 0;  // the exit code, or the signal that ended the child (POSIX)
};

struct SpawnResult {
  SpawnStatus status = SpawnStatus::kStarted;
  long systemError = 0;  // the system's code when status is not kStarted
  ChildExit exit;        // when status is kStarted
  bool stopped = false;  // the run was stopped through its RunStopper
};

// The size of one read from the child's output pipe.
inline constexpr size_t kPipeChunkSize = 256;

// Lets another thread stop a child started by RunWithMergedOutput together with everything it
// started: its process group on POSIX, its job object on Windows. A stop that comes before the
// child starts stops it as soon as it exists.
class RunStopper {
 public:
  RunStopper() = default;
  RunStopper(const RunStopper&) = delete;
  RunStopper& operator=(const RunStopper&) = delete;

  // Safe from any thread, any number of times.
  void Stop();
  bool StopRequested() const;

  // For the platform implementations: `kill` ends the running child and its descendants; it
  // is called under the stopper's lock, now when a stop was already asked for, or later by
  // Stop. Disarm comes before the child is reaped, so `kill` never reaches a recycled id.
  void Arm(std::function<void()> kill);
  void Disarm();

 private:
  mutable std::mutex mutex_;
  bool requested_ = false;
  std::function<void()> kill_;
};

// Runs `commandLine` as a hidden child process whose standard output and standard error are
// the write end of one pipe and whose standard input is empty. Windows hands the line to
// CreateProcess unchanged, and a line that starts the command interpreter by its bare name
// ("cmd /c ...") starts the one of the system folder, never one of another folder; POSIX runs it
// with /bin/sh -c, or starts the program directly when the line is only plain and single-quoted
// words (the shell would give them the same meaning). Calls `onChunk` once for every read of at
// most kPipeChunkSize bytes, the last call (the read that found the end) with an empty chunk.
// Returns when every holder of the write end has let go of it; all handles are closed and the child
// is reaped before it returns.
SpawnResult RunWithMergedOutput(const std::string& commandLine,
                                const std::function<void(std::string_view)>& onChunk,
                                RunStopper* stopper = nullptr);

}  // namespace droplet
