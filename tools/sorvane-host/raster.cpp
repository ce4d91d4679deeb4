#include "tools/sorvane-host/raster.h"

#include <algorithm>
#include <cmath>

#include "tools/sorvane-host/bitmap_font.h"

namespace sorvane::host {

Raster::Raster(int width, int height, Rgb background)
    : width_(width),
      height_(height),
      clipX1_(width),
      clipY1_(height),
      pixels_(static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
  for (size_t i = 0; i < pixels_.size(); i += 3) {
    pixels_[i] = background.r;
    pixels_[i + 1] = background.g;
    pixels_[i + 2] = background.b;
  }
}

Rgb Raster::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
  return {pixels_[at], pixels_[at + 1], pixels_[at + 2]};
}

void Raster::setClip(int x0, int y0, int x1, int y1) {
  clipX0_ = std::max(0, x0);
  clipY0_ = std::max(0, y0);
  clipX1_ = std::min(width_, x1);
  clipY1_ = std::min(height_, y1);
}

void Raster::clearClip() { setClip(0, 0, width_, height_); }

void Raster::blend(int x, int y, Rgb colour, double coverage) {
  if (x < clipX0_ || y < clipY0_ || x >= clipX1_ || y >= clipY1_ || coverage <= 0.0) return;
  coverage = std::min(coverage, 1.0);
  const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
  auto mix = [coverage](uint8_t under, uint8_t over) {
    return static_cast<uint8_t>(std::lround(under + (over - under) * coverage));
  };
  pixels_[at] = mix(pixels_[at], colour.r);
  pixels_[at + 1] = mix(pixels_[at + 1], colour.g);
  pixels_[at + 2] = mix(pixels_[at + 2], colour.b);
}

void Raster::fillRect(int x0, int y0, int x1, int y1, Rgb colour) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) blend(x, y, colour, 1.0);
  }
}

void Raster::line(double x0, double y0, double x1, double y1, double width, Rgb colour) {
  const double half = width / 2.0;
  const int left = static_cast<int>(std::floor(std::min(x0, x1) - half - 1.0));
  const int right = static_cast<int>(std::ceil(std::max(x0, x1) + half + 1.0));
  const int top = static_cast<int>(std::floor(std::min(y0, y1) - half - 1.0));
  const int bottom = static_cast<int>(std::ceil(std::max(y0, y1) + half + 1.0));
  const double dx = x1 - x0, dy = y1 - y0;
  const double lengthSquared = dx * dx + dy * dy;
  for (int y = std::max(top, clipY0_); y <= std::min(bottom, clipY1_ - 1); ++y) {
    for (int x = std::max(left, clipX0_); x <= std::min(right, clipX1_ - 1); ++x) {
      // Distance from the pixel centre to the segment.
      const double px = x + 0.5 - x0, py = y + 0.5 - y0;
      double t = lengthSquared > 0.0 ? (px * dx + py * dy) / lengthSquared : 0.0;
      t = std::clamp(t, 0.0, 1.0);
      const double distance = std::hypot(px - t * dx, py - t * dy);
      blend(x, y, colour, half + 0.5 - distance);
    }
  }
}

int Raster::textWidth(const std::string& text, int scale) {
  return text.empty() ? 0 : static_cast<int>(text.size()) * (kGlyphWidth + 1) * scale - scale;
}

int Raster::textHeight(int scale) { return kGlyphHeight * scale; }

void Raster::text(int x, int y, const std::string& text, int scale, Rgb colour) {
  for (size_t i = 0; i < text.size(); ++i) {
    const int originX = x + static_cast<int>(i) * (kGlyphWidth + 1) * scale;
    for (int row = 0; row < kGlyphHeight; ++row) {
      for (int column = 0; column < kGlyphWidth; ++column) {
        if (!glyphPixel(text[i], column, row)) continue;
        fillRect(originX + column * scale, y + row * scale, originX + (column + 1) * scale, y + (row + 1) * scale,
                 colour);
      }
    }
  }
}

}  // namespace sorvane::host
