#include "gui/draw/png_encode.h"

#include <png.h>

#include <cstring>

namespace sorvane {

std::vector<std::uint8_t> opaqueRgba(const platform::PixelBuffer& pixels) {
  std::vector<std::uint8_t> rgba(static_cast<size_t>(pixels.width()) * pixels.height() * 4);
  for (int y = 0; y < pixels.height(); ++y) {
    const std::uint8_t* s = pixels.row(y);
    std::uint8_t* d = rgba.data() + static_cast<size_t>(y) * pixels.width() * 4;
    for (int x = 0; x < pixels.width(); ++x, s += 4, d += 4) {
      d[0] = s[2];
      d[1] = s[1];
      d[2] = s[0];
      d[3] = 255;
    }
  }
  return rgba;
}

bool writeRgbaPng(const char* path, int width, int height, const std::vector<std::uint8_t>& rgba) {
  if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * height * 4) return false;
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path, 0, rgba.data(), 0, nullptr) != 0;
}

bool writeOpaquePng(const char* path, const platform::PixelBuffer& pixels) {
  return writeRgbaPng(path, pixels.width(), pixels.height(), opaqueRgba(pixels));
}

}  // namespace sorvane
