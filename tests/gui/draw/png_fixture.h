// Small PNG files made in memory with libpng, so the decoding tests need no
// binary fixtures.
#pragma once

#include <cstdint>
#include <vector>

namespace sorvane::test {

struct PngPicture {
  int width = 1;
  int height = 1;
  int colorType = 6;  // PNG_COLOR_TYPE_RGB_ALPHA
  int bitDepth = 8;
  bool interlaced = false;
  int compression = 6;
  std::vector<std::uint8_t> palette;  // r, g, b triples
  std::vector<std::uint8_t> trns;     // palette alphas
  // Rows as libpng takes them (big-endian samples for 16 bits, packed below 8).
  std::vector<std::vector<std::uint8_t>> rows;
};

std::vector<std::uint8_t> encodePng(const PngPicture& picture);

// An 8-bit RGBA picture whose pixel (x, y) is given by a function.
template <class F>
std::vector<std::uint8_t> rgbaPng(int width, int height, F pixel, bool interlaced = false, int compression = 6) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.interlaced = interlaced;
  picture.compression = compression;
  for (int y = 0; y < height; ++y) {
    std::vector<std::uint8_t> row;
    for (int x = 0; x < width; ++x) {
      auto p = pixel(x, y);
      for (std::uint8_t byte : p) row.push_back(byte);
    }
    picture.rows.push_back(std::move(row));
  }
  return encodePng(picture);
}

}  // namespace sorvane::test
