#pragma once

#include <cstdint>
#include <vector>

namespace droplet {

// A 24-bit device-independent pixel buffer: 3 bytes per pixel in the order blue, green, red,
// rows stored bottom-up (stored row 0 is the bottom row of the picture), each stored row padded
// to a multiple of 4 bytes. Callers read and write the pixels in place.
class cDIBSection {
 public:
  cDIBSection() = default;
  ~cDIBSection() = default;
  cDIBSection(const cDIBSection&) = delete;
  cDIBSection& operator=(const cDIBSection&) = delete;

  // Frees what the buffer held and makes a new one of `width` x `height` pixels, all zero.
  // False for a negative size or one whose byte count would not fit a signed 32-bit value; the
  // buffer is then empty, and Width()/Height() still report the requested size.
  bool Create(int width, int height);
  // Frees the pixels. Width() and Height() keep reporting the last requested size.
  void ClearUp();

  // Width * 3 rounded up to a multiple of 4.
  int BytesPerScanLine() const;
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The first byte of stored row 0, or nullptr when the buffer is empty.
  std::uint8_t* DIBSectionBitsPtr();
  const std::uint8_t* DIBSectionBitsPtr() const;

  // Packed colour (b + g * 256 + r * 65536) of pixel `x` of stored row `storedRow`.
  std::int32_t PixelColour(int x, int storedRow) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> bits_;
  bool filled_ = false;
};

}  // namespace droplet
