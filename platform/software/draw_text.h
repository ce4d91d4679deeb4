// Text for the software back end: one line of glyph coverage, laid out the
// way the toolkit's text rule wants it (em height = font size in pixels).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/draw.h"

namespace sorvane::platform::software {

class SoftwareFont : public DeviceFont {
 public:
  // Font-wide vertical metrics in pixels: baseline to the top of the tallest
  // glyph and to the bottom of the deepest one (both positive).
  virtual int ascent() const = 0;
  virtual int descent() const = 0;
  virtual bool underline() const = 0;
  // Advance width of the whole line in pixels.
  virtual int measure(const char* text) = 0;
  // Calls plot(x, y, coverage) for every covered pixel of the line whose
  // pen starts at (originX, baselineY).
  virtual void render(const char* text, int originX, int baselineY,
                      const std::function<void(int, int, std::uint8_t)>& plot) = 0;
};

// Null when no font file could be found (after one warning on stderr): the
// caller then draws no text.
std::unique_ptr<SoftwareFont> makeSoftwareFont(const FontRequest& request);

}  // namespace sorvane::platform::software
