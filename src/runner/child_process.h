#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace droplet {

enum class SpawnStatus { kStarted, kPipeFailed, kProcessFailed };

struct SpawnResult {
  SpawnStatus status = SpawnStatus::kStarted;
  long systemError = 0;  // the system's code when status is not kStarted
};

// The size of one read from the child's output pipe.
inline constexpr size_t kPipeChunkSize = 256;

// Runs `commandLine` as a hidden child process whose standard output and standard error are
// the write end of one pipe and whose standard input is empty. Windows hands the line to
// CreateProcess unchanged; POSIX runs it with /bin/sh -c. Calls `onChunk` once for every read
// of at most kPipeChunkSize bytes, the last call (the read that found the end) with an empty
// chunk. Returns when every holder of the write end has let go of it; all handles are closed
// and the child is reaped before it returns.
SpawnResult RunWithMergedOutput(const std::string& commandLine,
                                const std::function<void(std::string_view)>& onChunk);

}  // namespace droplet
