#pragma once

// For the POSIX implementation files only: owners of posix_spawn's settings, and the wait for a
// child.

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>

namespace droplet {

// The file actions of a posix_spawn call, destroyed when the owner goes.
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

// The attributes of a posix_spawn call, destroyed when the owner goes.
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

// Waits until the child `pid` has ended and reaps it, begun again when a signal interrupts the
// wait: the child's id with `status` set, or -1 with errno set.
inline pid_t WaitForChild(pid_t pid, int& status) {
  for (;;) {
    const pid_t reaped = ::waitpid(pid, &status, 0);
    if (reaped >= 0 || errno != EINTR) return reaped;
  }
}

}  // namespace droplet
