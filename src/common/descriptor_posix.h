#pragma once

// For the POSIX implementation files only.

#include <unistd.h>

namespace droplet {

// Owns a file descriptor: closes it when it goes, unless it was closed earlier.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  // Closes now and tells whether the close succeeded (a deferred write error shows up here).
  bool Close() {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace droplet
