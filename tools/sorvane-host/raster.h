// A small RGB raster with anti-aliased lines and bitmap text: just enough to
// draw response plots without a graphics library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane::host {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

class Raster {
 public:
  Raster(int width, int height, Rgb background);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb pixel(int x, int y) const;
  const std::vector<uint8_t>& rgbBytes() const { return pixels_; }

  // Mixes colour into the pixel with coverage 0..1; outside pixels and the
  // clip rectangle are ignored.
  void blend(int x, int y, Rgb colour, double coverage);
  void fillRect(int x0, int y0, int x1, int y1, Rgb colour);
  // A line of the given width in pixels, anti-aliased by distance.
  void line(double x0, double y0, double x1, double y1, double width, Rgb colour);
  // Bitmap text with its top-left corner at (x, y), each font pixel drawn as
  // scale x scale pixels.
  void text(int x, int y, const std::string& text, int scale, Rgb colour);
  static int textWidth(const std::string& text, int scale);
  static int textHeight(int scale);

  // Drawing outside this rectangle is dropped (inclusive-exclusive).
  void setClip(int x0, int y0, int x1, int y1);
  void clearClip();

 private:
  int width_, height_;
  int clipX0_ = 0, clipY0_ = 0, clipX1_, clipY1_;
  std::vector<uint8_t> pixels_;
};

// Writes the raster as an 8-bit RGB PNG. False and a one-line reason when the
// file cannot be written or this build has no PNG support.
bool writePng(const std::string& path, const Raster& raster, std::string& error);

}  // namespace sorvane::host
