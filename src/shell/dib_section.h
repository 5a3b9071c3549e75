#pragma once

#include <cstdint>
#include <memory>

namespace droplet {

// A 24-bit device-independent pixel buffer: 3 bytes per pixel in the order blue, green, red,
// rows stored bottom-up (stored row 0 is the bottom row of the picture), each stored row padded
// to a multiple of 4 bytes. Callers read and write the pixels in place.
//
// Where the pixels live is the platform's half (dib_section_<platform>.cpp): on Windows a GDI
// DIB section selected into a memory device context, so that GDI draws into it and out of it
// (dib_section_win32.h); elsewhere plain memory.
class cDIBSection {
 public:
  cDIBSection() = default;
  ~cDIBSection() { ClearUp(); }
  cDIBSection(const cDIBSection&) = delete;
  cDIBSection& operator=(const cDIBSection&) = delete;

  // Frees what the buffer held and makes a new one of `width` x `height` pixels, all zero.
  // False for an empty or negative size, for one whose byte count would not fit a signed 32-bit
  // value and when the platform cannot make the bitmap; the buffer is then empty, and
  // Width()/Height() still report the requested size.
  bool Create(int width, int height);
  // Frees the pixels. Width() and Height() keep reporting the last requested size.
  void ClearUp();

  // Width * 3 rounded up to a multiple of 4.
  int BytesPerScanLine() const;
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The first byte of stored row 0, or nullptr when the buffer is empty.
  std::uint8_t* DIBSectionBitsPtr() { return bits_; }
  const std::uint8_t* DIBSectionBitsPtr() const { return bits_; }

  // Packed colour (b + g * 256 + r * 65536) of pixel `x` of stored row `storedRow`.
  std::int32_t PixelColour(int x, int storedRow) const;

  // Fills every pixel with random levels: with `gray` one level in all three bytes, otherwise
  // blue 0 and independent green and red levels. Seeded from the clock; the overload with a
  // seed gives the same pixels for the same seed.
  void RandomiseBits(bool gray);
  void RandomiseBits(bool gray, std::uint32_t seed);

  // A new buffer of `newWidth` x `newHeight` holding this picture: a copy at the same size,
  // otherwise bilinear samples (rows blended first, then columns, each step rounded). Null when
  // the new buffer cannot be made or this one is empty.
  std::unique_ptr<cDIBSection> Resample(int newHeight, int newWidth) const;

  // The platform's bitmap behind the pixels (see dib_section_win32.h); null when empty.
  struct PlatformBitmap;
  const PlatformBitmap* Platform() const { return platform_; }

 private:
  // The platform half: makes zeroed pixels of `bytes` bytes for the current size and sets
  // platform_ and bits_, or leaves both null and returns false.
  bool AllocatePixels(std::int64_t bytes);
  // The platform half: frees platform_ and clears it.
  void FreePixels();
  bool ResampleInto(cDIBSection& target) const;

  int width_ = 0;
  int height_ = 0;
  PlatformBitmap* platform_ = nullptr;
  std::uint8_t* bits_ = nullptr;
};

}  // namespace droplet
