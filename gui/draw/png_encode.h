// Writing pictures of the editor as PNG files (snapshots, golden pictures).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/draw.h"

namespace sorvane {

// An opaque window picture (BGRA, as the back ends keep it) as straight RGBA
// rows, alpha 255.
std::vector<std::uint8_t> opaqueRgba(const platform::PixelBuffer& pixels);

// rgba: width × height straight RGBA pixels, rows from the top.
bool writeRgbaPng(const char* path, int width, int height, const std::vector<std::uint8_t>& rgba);

// An opaque window picture as a PNG file.
bool writeOpaquePng(const char* path, const platform::PixelBuffer& pixels);

}  // namespace sorvane
