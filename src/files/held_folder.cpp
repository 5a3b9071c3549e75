#include <utility>

#include "files/file_system.h"

namespace droplet {

HeldFolder::~HeldFolder() {
  Close();
}

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = kClosed;
}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = kClosed;
  }
  return *this;
}

void HeldFolder::Close() {
  if (handle_ != kClosed) CloseHandle(handle_);
  handle_ = kClosed;
}

}  // namespace droplet
