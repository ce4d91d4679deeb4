// PNG pictures from memory into the toolkit's 32-bit premultiplied form.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/draw.h"

namespace sorvane {

struct PngDecodeResult {
  std::unique_ptr<platform::PixelBuffer> pixels;  // null when the header was unusable
  bool complete = false;                          // false: decoding stopped early
};

// Decodes every colour type and bit depth into blue, green, red, alpha bytes
// with the colour premultiplied (c × a >> 8; alpha 0 gives all zero bytes).
// Palette and grey pictures are expanded, a transparency chunk becomes the
// alpha channel, 16-bit channels keep their high byte, interlaced pictures
// are read in all their passes. When the data breaks off or is damaged after
// the header, the picture keeps its size and the rows (or interlace passes)
// read so far; the rest stays transparent.
PngDecodeResult decodePng(std::span<const std::uint8_t> bytes);

// The picture's size from its header alone, without decoding it: false when
// the bytes do not start like a PNG file or the size is none decodePng takes.
bool readPngSize(std::span<const std::uint8_t> bytes, int& width, int& height);

}  // namespace sorvane
