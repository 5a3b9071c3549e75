#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/dib_section.h"

namespace droplet {

// Without device contexts the bitmap is its memory alone.
struct cDIBSection::PlatformBitmap {
  std::vector<std::uint8_t> bits;
};

bool cDIBSection::AllocatePixels(std::int64_t bytes) {
  platform_ = new PlatformBitmap{std::vector<std::uint8_t>(static_cast<std::size_t>(bytes), 0)};
  bits_ = platform_->bits.data();
  return true;
}

void cDIBSection::FreePixels() {
  delete platform_;
}

}  // namespace droplet
