#pragma once

// For the POSIX implementation files only: owners of posix_spawn's settings, and the wait for a
// child.

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>

namespace droplet {

// One of posix_spawn's settings objects, made with `Init` and destroyed with `Destroy` when the
// owner goes.
template <typename Settings, int (*Init)(Settings*), int (*Destroy)(Settings*)>
class SpawnSettings {
 public:
  SpawnSettings() { Init(&settings_); }
  ~SpawnSettings() { Destroy(&settings_); }
  SpawnSettings(const SpawnSettings&) = delete;
  SpawnSettings& operator=(const SpawnSettings&) = delete;
  Settings* get() { return &settings_; }

 private:
  Settings settings_;
};

using SpawnFileActions = SpawnSettings<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
                                       posix_spawn_file_actions_destroy>;
using SpawnAttributes =
    SpawnSettings<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

// Waits until the child `pid` has ended and reaps it, begun again when a signal interrupts the
// wait: the child's id with `status` set, or -1 with errno set.
inline pid_t WaitForChild(pid_t pid, int& status) {
  for (;;) {
    const pid_t reaped = ::waitpid(pid, &status, 0);
    if (reaped >= 0 || errno != EINTR) return reaped;
  }
}

}  // namespace droplet
