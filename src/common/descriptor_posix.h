#pragma once

// For the POSIX implementation files only.

#include <unistd.h>

#include <cerrno>
#include <cstddef>

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

// read(), begun again when a signal interrupts it: the count read (0 at the end), or -1 with
// errno set.
inline ssize_t ReadRetrying(int fd, void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

// Writes all `size` bytes of `bytes`, going on after a short write or a signal. 0, or the errno
// of the write that failed.
inline int WriteAll(int fd, const char* bytes, std::size_t size) {
  for (std::size_t written = 0; written < size;) {
    const ssize_t put = ::write(fd, bytes + written, size - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    written += static_cast<std::size_t>(put);
  }
  return 0;
}

}  // namespace droplet
