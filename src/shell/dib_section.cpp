#include "shell/dib_section.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace droplet {

namespace {

// Bytes of one stored row, computed wide so that the overflow check sees the true value.
std::int64_t RowBytesOf(std::int64_t width) {
  return (width * 3 + 3) & ~std::int64_t{3};
}

}  // namespace

bool cDIBSection::Create(int width, int height) {
  ClearUp();
  width_ = width;
  height_ = height;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  if (width < 0 || height < 0) return false;
  const std::int64_t rowBytes = RowBytesOf(width);
  if (static_cast<std::int64_t>(width) * 3 + 3 > kLimit) return false;
  if (rowBytes * height > kLimit) return false;
  bits_.assign(static_cast<std::size_t>(rowBytes * height), 0);
  filled_ = true;
  return true;
}

void cDIBSection::ClearUp() {
  bits_.clear();
  bits_.shrink_to_fit();
  filled_ = false;
}

int cDIBSection::BytesPerScanLine() const {
  const std::int64_t rowBytes = RowBytesOf(width_);
  return rowBytes > std::numeric_limits<std::int32_t>::max() || rowBytes < 0
             ? 0
             : static_cast<int>(rowBytes);
}

std::uint8_t* cDIBSection::DIBSectionBitsPtr() {
  return filled_ && !bits_.empty() ? bits_.data() : nullptr;
}

const std::uint8_t* cDIBSection::DIBSectionBitsPtr() const {
  return filled_ && !bits_.empty() ? bits_.data() : nullptr;
}

std::int32_t cDIBSection::PixelColour(int x, int storedRow) const {
  const std::uint8_t* bits = DIBSectionBitsPtr();
  if (bits == nullptr || x < 0 || x >= width_ || storedRow < 0 || storedRow >= height_) return 0;
  const std::uint8_t* pixel =
      bits + static_cast<std::ptrdiff_t>(storedRow) * BytesPerScanLine() + 3 * x;
  return static_cast<std::int32_t>(pixel[0]) + static_cast<std::int32_t>(pixel[1]) * 256 +
         static_cast<std::int32_t>(pixel[2]) * 65536;
}

}  // namespace droplet
