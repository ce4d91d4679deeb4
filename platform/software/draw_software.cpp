// The software back end: premultiplied source-over compositing into a plain
// BGRA picture. It is the native back end off Windows and, on every system,
// the one the tests and the snapshot tool use.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/draw.h"
#include "platform/software/draw_software.h"
#include "platform/software/draw_text.h"

namespace sorvane::platform {

DrawRect DrawRect::intersect(const DrawRect& other) const {
  DrawRect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
             std::min(bottom, other.bottom)};
  if (r.empty()) r = DrawRect{};
  return r;
}

namespace {

// Pictures beyond this are refused rather than attempted: no picture of the
// products comes near it, and a corrupt header must not claim gigabytes.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;
constexpr int kMaxSide = 32768;

class MemoryPixelBuffer final : public PixelBuffer {
 public:
  MemoryPixelBuffer(int width, int height)
      : width_(width), height_(height), bytes_(static_cast<std::size_t>(width) * height * 4, 0) {}
  int width() const override { return width_; }
  int height() const override { return height_; }
  std::uint8_t* row(int y) override { return bytes_.data() + static_cast<std::size_t>(y) * width_ * 4; }

 private:
  int width_, height_;
  std::vector<std::uint8_t> bytes_;
};

// x·y/255 rounded, exact for 0..255 × 0..255.
inline std::uint8_t mul255(unsigned x, unsigned y) {
  unsigned v = x * y + 128;
  return static_cast<std::uint8_t>((v + (v >> 8)) >> 8);
}

inline void blendPixel(std::uint8_t* d, std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
  unsigned keep = 255u - a;
  d[0] = static_cast<std::uint8_t>(b + mul255(d[0], keep));
  d[1] = static_cast<std::uint8_t>(g + mul255(d[1], keep));
  d[2] = static_cast<std::uint8_t>(r + mul255(d[2], keep));
  d[3] = static_cast<std::uint8_t>(a + mul255(d[3], keep));
}

class SoftwareDevice final : public DrawDevice {
 public:
  explicit SoftwareDevice(PixelBuffer& target)
      : target_(target), bounds_{0, 0, target.width(), target.height()}, clip_(bounds_) {}
  explicit SoftwareDevice(std::unique_ptr<PixelBuffer> owned) : SoftwareDevice(*owned) { owned_ = std::move(owned); }

  int width() const override { return target_.width(); }
  int height() const override { return target_.height(); }

  void setClip(const DrawRect& clip) override { clip_ = clip.intersect(bounds_); }

  void fillRect(const DrawRect& rect, DrawColor c) override {
    DrawRect r = rect.intersect(clip_);
    for (int y = r.top; y < r.bottom; ++y) {
      std::uint8_t* p = target_.row(y) + r.left * 4;
      for (int x = r.left; x < r.right; ++x, p += 4) {
        p[0] = c.blue;
        p[1] = c.green;
        p[2] = c.red;
        p[3] = 255;
      }
    }
  }

  void drawLine(int x0, int y0, int x1, int y1, DrawColor c, int lineWidth) override {
    int w = std::max(1, lineWidth);
    int lo = -(w - 1) / 2;
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
      fillRect(DrawRect{x + lo, y + lo, x + lo + w, y + lo + w}, c);
      int e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y += sy;
      }
    }
  }

  void blendPixels(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY,
                   std::uint8_t alpha) override {
    DrawRect r = sourceWindow(source, dest, sourceX, sourceY);
    for (int y = r.top; y < r.bottom; ++y) {
      const std::uint8_t* s = source.row(y - dest.top + sourceY) + (r.left - dest.left + sourceX) * 4;
      std::uint8_t* d = target_.row(y) + r.left * 4;
      for (int x = r.left; x < r.right; ++x, s += 4, d += 4) {
        if (alpha == 255) {
          if (s[3] == 0) continue;
          blendPixel(d, s[0], s[1], s[2], s[3]);
        } else {
          blendPixel(d, mul255(s[0], alpha), mul255(s[1], alpha), mul255(s[2], alpha), mul255(s[3], alpha));
        }
      }
    }
  }

  void copyPixels(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY) override {
    DrawRect r = sourceWindow(source, dest, sourceX, sourceY);
    for (int y = r.top; y < r.bottom; ++y) {
      const std::uint8_t* s = source.row(y - dest.top + sourceY) + (r.left - dest.left + sourceX) * 4;
      std::uint8_t* d = target_.row(y) + r.left * 4;
      for (int x = r.left; x < r.right; ++x, s += 4, d += 4) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = 255;
      }
    }
  }

  void copyPixelsKeyed(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY,
                       DrawColor key) override {
    DrawRect r = sourceWindow(source, dest, sourceX, sourceY);
    for (int y = r.top; y < r.bottom; ++y) {
      const std::uint8_t* s = source.row(y - dest.top + sourceY) + (r.left - dest.left + sourceX) * 4;
      std::uint8_t* d = target_.row(y) + r.left * 4;
      for (int x = r.left; x < r.right; ++x, s += 4, d += 4) {
        if (s[0] == key.blue && s[1] == key.green && s[2] == key.red) continue;
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = 255;
      }
    }
  }

  void drawText(const char* text, const DrawRect& rect, TextAlign align, const FontRequest& request,
                std::unique_ptr<DeviceFont>& fontCache, DrawColor c) override {
    if (text == nullptr || *text == '\0') return;
    auto* font = dynamic_cast<software::SoftwareFont*>(fontCache.get());
    if (font == nullptr) {
      auto made = software::makeSoftwareFont(request);
      if (!made) return;
      font = made.get();
      fontCache = std::move(made);
    }
    int textWidth = font->measure(text);
    int x = rect.left;
    if (align == TextAlign::Center) x = rect.left + (rect.width() - textWidth) / 2;
    if (align == TextAlign::Right) x = rect.right - textWidth;
    int lineHeight = font->ascent() + font->descent();
    int baseline = rect.top + (rect.height() - lineHeight) / 2 + font->ascent();
    DrawRect area = rect.intersect(clip_);
    auto plot = [&](int px, int py, std::uint8_t coverage) {
      if (px < area.left || px >= area.right || py < area.top || py >= area.bottom || coverage == 0) return;
      blendPixel(target_.row(py) + px * 4, mul255(c.blue, coverage), mul255(c.green, coverage), mul255(c.red, coverage),
                 coverage);
    };
    font->render(text, x, baseline, plot);
    if (font->underline()) {
      for (int px = x; px < x + textWidth; ++px) plot(px, baseline + 1, 255);
    }
  }

  void copyTo(DrawDevice& destination, const DrawRect& source, int destX, int destY) override {
    DrawRect dest{destX, destY, destX + source.width(), destY + source.height()};
    destination.copyPixels(target_, dest, source.left, source.top);
  }

  bool readPixels(PixelBuffer& into) override {
    if (into.width() != width() || into.height() != height()) return false;
    for (int y = 0; y < height(); ++y) std::memcpy(into.row(y), target_.row(y), static_cast<std::size_t>(width()) * 4);
    return true;
  }

 private:
  // The destination pixels that are inside the clip and have a source pixel.
  DrawRect sourceWindow(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY) const {
    DrawRect fromSource{dest.left - sourceX, dest.top - sourceY, dest.left - sourceX + source.width(),
                        dest.top - sourceY + source.height()};
    return dest.intersect(clip_).intersect(fromSource);
  }

  std::unique_ptr<PixelBuffer> owned_;  // an off-screen buffer's own picture
  PixelBuffer& target_;
  DrawRect bounds_;
  DrawRect clip_;
};

}  // namespace

std::unique_ptr<PixelBuffer> createMemoryPixelBuffer(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
      static_cast<long long>(width) * height > kMaxPixels)
    return nullptr;
  return std::make_unique<MemoryPixelBuffer>(width, height);
}

std::unique_ptr<DrawDevice> createSoftwareDevice(PixelBuffer& target) {
  return std::make_unique<SoftwareDevice>(target);
}

std::unique_ptr<DrawDevice> createSoftwareOffscreen(int width, int height) {
  auto buffer = createMemoryPixelBuffer(width, height);
  if (!buffer) return nullptr;
  return std::make_unique<SoftwareDevice>(std::move(buffer));
}

}  // namespace sorvane::platform
