#include "shell/dib_section_qt.h"

#include <cstddef>
#include <cstring>

namespace droplet {

void CreateFromPicture(cDIBSection& dib, const QImage& picture) {
  if (picture.isNull()) {
    dib.ClearUp();
    return;
  }
  if (!dib.Create(picture.width(), picture.height())) return;
  std::uint8_t* bits = dib.DIBSectionBitsPtr();
  if (bits == nullptr) return;
  // Blue, green, red in memory order: the stored layout of the buffer.
  const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
  const int height = bgr.height();
  const int rowBytes = dib.BytesPerScanLine();
  const std::size_t pixelBytes = static_cast<std::size_t>(bgr.width()) * 3;
  for (int storedRow = 0; storedRow < height; ++storedRow) {
    std::memcpy(bits + static_cast<std::ptrdiff_t>(storedRow) * rowBytes,
                bgr.constScanLine(height - 1 - storedRow), pixelBytes);
  }
}

}  // namespace droplet
