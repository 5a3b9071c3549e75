#include "shell/dib_section.h"

#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace droplet {

namespace {

// Bytes of one stored row, computed wide so that the overflow check sees the true value.
std::int64_t RowBytesOf(std::int64_t width) {
  return (width * 3 + 3) & ~std::int64_t{3};
}

std::uint8_t Level(double value) {
  return static_cast<std::uint8_t>(std::lround(value));
}

}  // namespace

bool cDIBSection::Create(int width, int height) {
  ClearUp();
  width_ = width;
  height_ = height;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  if (width <= 0 || height <= 0) return false;
  const std::int64_t rowBytes = RowBytesOf(width);
  if (static_cast<std::int64_t>(width) * 3 + 3 > kLimit) return false;
  if (rowBytes * height > kLimit) return false;
  return AllocatePixels(rowBytes * height);
}

void cDIBSection::ClearUp() {
  FreePixels();
  platform_ = nullptr;
  bits_ = nullptr;
}

int cDIBSection::BytesPerScanLine() const {
  const std::int64_t rowBytes = RowBytesOf(width_);
  return rowBytes > std::numeric_limits<std::int32_t>::max() || rowBytes < 0
             ? 0
             : static_cast<int>(rowBytes);
}

std::int32_t cDIBSection::PixelColour(int x, int storedRow) const {
  const std::uint8_t* bits = DIBSectionBitsPtr();
  if (bits == nullptr || x < 0 || x >= width_ || storedRow < 0 || storedRow >= height_) return 0;
  const std::uint8_t* pixel =
      bits + static_cast<std::ptrdiff_t>(storedRow) * BytesPerScanLine() + 3 * x;
  return static_cast<std::int32_t>(pixel[0]) + static_cast<std::int32_t>(pixel[1]) * 256 +
         static_cast<std::int32_t>(pixel[2]) * 65536;
}

void cDIBSection::RandomiseBits(bool gray) {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  RandomiseBits(gray, static_cast<std::uint32_t>(ticks));
}

void cDIBSection::RandomiseBits(bool gray, std::uint32_t seed) {
  if (bits_ == nullptr) return;
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int rowBytes = BytesPerScanLine();
  for (int row = 0; row < height_; ++row) {
    std::uint8_t* pixel = bits_ + static_cast<std::ptrdiff_t>(row) * rowBytes;
    for (int x = 0; x < width_; ++x, pixel += 3) {
      if (gray) {
        const std::uint8_t level = Level(unit(generator) * 255);
        pixel[0] = pixel[1] = pixel[2] = level;
      } else {
        pixel[0] = 0;
        pixel[1] = Level(unit(generator) * 255);
        pixel[2] = Level(unit(generator) * 255);
      }
    }
  }
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(int newHeight, int newWidth) const {
  auto target = std::make_unique<cDIBSection>();
  if (!target->Create(newWidth, newHeight) || bits_ == nullptr) return nullptr;
  if (newWidth == width_ && newHeight == height_) {
    std::memcpy(target->bits_, bits_,
                static_cast<std::size_t>(BytesPerScanLine()) * static_cast<std::size_t>(height_));
    return target;
  }
  if (!ResampleInto(*target)) return nullptr;
  return target;
}

bool cDIBSection::ResampleInto(cDIBSection& target) const {
  std::uint8_t* out = target.DIBSectionBitsPtr();
  if (out == nullptr || bits_ == nullptr) return false;
  const int sourceRowBytes = BytesPerScanLine();
  const int targetRowBytes = target.BytesPerScanLine();
  const auto byteAt = [&](int x, int row, int channel) -> double {
    return bits_[static_cast<std::ptrdiff_t>(row) * sourceRowBytes + 3 * x + channel];
  };
  for (int y = 0; y < target.height_; ++y) {
    const double sy = static_cast<double>(y) * (height_ - 1) / target.height_;
    const int row0 = static_cast<int>(sy);
    const int row1 = row0 + 1 < height_ ? row0 + 1 : row0;
    const double fy = sy - row0;
    std::uint8_t* pixel = out + static_cast<std::ptrdiff_t>(y) * targetRowBytes;
    for (int x = 0; x < target.width_; ++x, pixel += 3) {
      const double sx = static_cast<double>(x) * (width_ - 1) / target.width_;
      const int column0 = static_cast<int>(sx);
      const int column1 = column0 + 1 < width_ ? column0 + 1 : column0;
      const double fx = sx - column0;
      for (int channel = 0; channel < 3; ++channel) {
        // Between the two stored rows first, each intermediate rounded, then between columns.
        const double left =
            std::lround(byteAt(column0, row0, channel) +
                        (byteAt(column0, row1, channel) - byteAt(column0, row0, channel)) * fy);
        const double right =
            std::lround(byteAt(column1, row0, channel) +
                        (byteAt(column1, row1, channel) - byteAt(column1, row0, channel)) * fy);
        pixel[channel] = Level(left + (right - left) * fx);
      }
    }
  }
  return true;
}

}  // namespace droplet
