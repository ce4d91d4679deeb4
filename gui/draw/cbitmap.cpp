#include "gui/draw/cbitmap.h"

#include <map>
#include <mutex>
#include <utility>

#include "gui/draw/cdrawcontext.h"
#include "gui/draw/png_decode.h"
#include "gui/draw/scaling.h"
#include "platform/resources.h"

namespace sorvane {
namespace {

struct DecodedPicture {
  std::shared_ptr<const platform::PixelBuffer> pixels;
  bool complete = false;
};

// Hosts may run editors on more than one thread: the caches are locked.
std::mutex& cacheLock() {
  static std::mutex lock;
  return lock;
}

// Decoded resources by the address of their bytes (which live as long as the library).
std::map<const std::uint8_t*, DecodedPicture>& decodedPictures() {
  static std::map<const std::uint8_t*, DecodedPicture> pictures;
  return pictures;
}

// The picture of a 1x resource at a size between the sets, by the 1x bytes
// and the size.
std::map<std::pair<const std::uint8_t*, int>, std::shared_ptr<const platform::PixelBuffer>>& sizedPictures() {
  static std::map<std::pair<const std::uint8_t*, int>, std::shared_ptr<const platform::PixelBuffer>> pictures;
  return pictures;
}

// With the lock held.
DecodedPicture decodedResource(std::span<const std::uint8_t> bytes) {
  auto& pictures = decodedPictures();
  auto found = pictures.find(bytes.data());
  if (found != pictures.end()) return found->second;
  PngDecodeResult decoded = decodePng(bytes);
  DecodedPicture picture{std::move(decoded.pixels), decoded.complete};
  pictures.emplace(bytes.data(), picture);
  return picture;
}

// "knob.png" drawn at factor: "knob@2x.png".
std::string setName(const std::string& name, int factor) {
  std::string suffix(1, '@');
  suffix += static_cast<char>('0' + factor);
  suffix += 'x';
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}

// The picture of the resource named name (1x bytes given) at percent, made
// from the smallest set at least that large, else the largest there is.
std::shared_ptr<const platform::PixelBuffer> sizedResource(std::span<const std::uint8_t> oneX, const std::string& name,
                                                           int width, int height, int percent) {
  std::lock_guard<std::mutex> guard(cacheLock());
  const auto key = std::make_pair(oneX.data(), percent);
  auto& sized = sizedPictures();
  if (auto found = sized.find(key); found != sized.end()) return found->second;

  std::span<const std::uint8_t> sets[4] = {{}, oneX, {}, {}};
  if (name.front() != '#') {
    for (int factor : {2, 3}) {
      auto bytes = platform::findResource("PNG", setName(name, factor).c_str());
      int w = 0, h = 0;
      if (readPngSize(bytes, w, h) && w == factor * width && h == factor * height) sets[factor] = bytes;
    }
  }
  int factor = 0;
  for (int f = 1; f <= 3 && factor == 0; ++f)
    if (!sets[f].empty() && f * 100 >= percent) factor = f;
  for (int f = 3; f >= 1 && factor == 0; --f)
    if (!sets[f].empty()) factor = f;

  // A set drawn for the size is decoded and kept like any resource.
  if (factor * 100 == percent) return decodedResource(sets[factor]).pixels;
  std::shared_ptr<const platform::PixelBuffer> picture;
  {
    // A set decoded only for this stays unkept: only the set in use is held.
    std::shared_ptr<const platform::PixelBuffer> source;
    if (auto found = decodedPictures().find(sets[factor].data()); found != decodedPictures().end())
      source = found->second.pixels;
    else
      source = decodePng(sets[factor]).pixels;
    if (source) picture = resamplePicture(*source, factor, width, height, percent);
  }
  sized[key] = picture;
  return picture;
}

// One axis of a part drawn at another size: the window pixels it covers and
// where in the picture each run of them starts.
struct Run {
  int dest, source, length;
};

int runsOf(int destLow, int destHigh, int cellLow, int cellHigh, Run (&runs)[3]) {
  const int destLength = destHigh - destLow, cellLength = cellHigh - cellLow;
  if (destLength <= 0 || cellLength <= 0) return 0;
  int count = 0;
  runs[count++] = {destLow, cellLow, std::min(destLength, cellLength)};
  // Edges a pixel apart: the part's last row (or column) fills the rest.
  for (int extra = cellLength; extra < destLength && count < 3; ++extra)
    runs[count++] = {destLow + extra, cellHigh - 1, 1};
  return count;
}

}  // namespace

CBitmap::CBitmap(const CResourceDescription& description) : description_(description) { loadFromResource(description); }

CBitmap::CBitmap(std::span<const std::uint8_t> pngBytes) : description_(0) { loadFromPng(pngBytes); }

CBitmap::~CBitmap() = default;

void CBitmap::release() {
  pixels_.reset();
  scaled_.reset();
  scaledPercent_ = 0;
  resource_ = {};
  width_ = height_ = 0;
  noAlpha_ = true;
}

bool CBitmap::loadFromResource(const CResourceDescription& description) {
  release();
  description_ = description;
  std::string name = description.lookupName();
  auto bytes = platform::findResource("PNG", name.c_str());
  if (!bytes.empty()) {
    if (!readPngSize(bytes, width_, height_)) return false;
    resource_ = bytes;
    noAlpha_ = false;
    return true;
  }
  pixels_ = platform::loadBitmapResource(name.c_str());
  if (pixels_) {
    width_ = pixels_->width();
    height_ = pixels_->height();
  }
  return pixels_ != nullptr;
}

bool CBitmap::loadFromPng(std::span<const std::uint8_t> pngBytes) {
  release();
  PngDecodeResult decoded = decodePng(pngBytes);
  if (!decoded.pixels) return false;
  pixels_ = std::move(decoded.pixels);
  width_ = pixels_->width();
  height_ = pixels_->height();
  noAlpha_ = false;
  return decoded.complete;
}

const platform::PixelBuffer* CBitmap::picture(int percent) const {
  if (!isLoaded()) return nullptr;
  // Pictures are made while a window paints: a refused allocation draws
  // nothing rather than leave through the system's or the host's code.
  try {
    if (percent == 100 && !pixels_ && !resource_.empty()) {
      std::lock_guard<std::mutex> guard(cacheLock());
      pixels_ = decodedResource(resource_).pixels;
    }
    if (percent == 100) return pixels_.get();
    if (scaledPercent_ != percent) {
      scaledPercent_ = percent;
      scaled_.reset();
      if (!resource_.empty())
        scaled_ = sizedResource(resource_, description_.lookupName(), width_, height_, percent);
      else if (pixels_)
        scaled_ = resamplePicture(*pixels_, 1, width_, height_, percent);
    }
    return scaled_.get();
  } catch (...) {
    return nullptr;
  }
}

void CBitmap::drawPart(CDrawContext* context, const CRect& rect, const CPoint& offset, Blit blit, unsigned char alpha) {
  if (context == nullptr || !isLoaded()) return;
  platform::DrawDevice* device = context->device();
  if (!device) return;
  const int percent = context->getScale();
  const platform::PixelBuffer* source = picture(percent);
  if (!source) return;
  const platform::DrawColor key{transparentColor_.red, transparentColor_.green, transparentColor_.blue, 255};
  auto put = [&](const platform::DrawRect& dest, int sourceX, int sourceY) {
    switch (blit) {
      case Blit::Copy:
        device->copyPixels(*source, dest, sourceX, sourceY);
        break;
      case Blit::Keyed:
        device->copyPixelsKeyed(*source, dest, sourceX, sourceY, key);
        break;
      case Blit::Blend:
        device->blendPixels(*source, dest, sourceX, sourceY, alpha);
        break;
    }
  };
  const platform::DrawRect dest = context->toDevice(rect);
  if (percent == 100) {
    put(dest, offset.x, offset.y);
    return;
  }
  // The picture's own part, mapped by the same rule as the rectangle.
  Run columns[3], rows[3];
  const int columnCount = runsOf(dest.left, dest.right, scaleToWindow(offset.x, percent),
                                 scaleToWindow(offset.x + rect.width(), percent), columns);
  const int rowCount = runsOf(dest.top, dest.bottom, scaleToWindow(offset.y, percent),
                              scaleToWindow(offset.y + rect.height(), percent), rows);
  for (int r = 0; r < rowCount; ++r)
    for (int c = 0; c < columnCount; ++c)
      put(platform::DrawRect{columns[c].dest, rows[r].dest, columns[c].dest + columns[c].length,
                             rows[r].dest + rows[r].length},
          columns[c].source, rows[r].source);
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
  drawPart(context, rect, offset, noAlpha_ ? Blit::Copy : Blit::Blend, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) {
  drawPart(context, rect, offset, noAlpha_ ? Blit::Keyed : Blit::Blend, 255);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, unsigned char alpha) {
  drawPart(context, rect, offset, Blit::Blend, alpha);
}

}  // namespace sorvane
