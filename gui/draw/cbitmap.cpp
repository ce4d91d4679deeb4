#include "gui/draw/cbitmap.h"

#include <map>
#include <mutex>

#include "gui/draw/cdrawcontext.h"
#include "gui/draw/png_decode.h"
#include "platform/resources.h"

namespace sorvane {
namespace {

struct DecodedPicture {
  std::shared_ptr<const platform::PixelBuffer> pixels;
  bool complete = false;
};

// Decoded resources by the address of their bytes (which live as long as the
// library). Hosts may run editors on more than one thread: the map is locked.
DecodedPicture decodedResource(std::span<const std::uint8_t> bytes) {
  static std::mutex lock;
  static std::map<const std::uint8_t*, DecodedPicture> pictures;
  std::lock_guard<std::mutex> guard(lock);
  auto found = pictures.find(bytes.data());
  if (found != pictures.end()) return found->second;
  PngDecodeResult decoded = decodePng(bytes);
  DecodedPicture picture{std::move(decoded.pixels), decoded.complete};
  pictures.emplace(bytes.data(), picture);
  return picture;
}

}  // namespace

CBitmap::CBitmap(const CResourceDescription& description) : description_(description) { loadFromResource(description); }

CBitmap::CBitmap(std::span<const std::uint8_t> pngBytes) : description_(0) { loadFromPng(pngBytes); }

CBitmap::~CBitmap() = default;

void CBitmap::release() {
  pixels_.reset();
  width_ = height_ = 0;
  noAlpha_ = true;
}

bool CBitmap::loadFromResource(const CResourceDescription& description) {
  release();
  description_ = description;
  std::string name = description.lookupName();
  auto bytes = platform::findResource("PNG", name.c_str());
  if (!bytes.empty()) {
    DecodedPicture picture = decodedResource(bytes);
    if (!picture.pixels) return false;
    pixels_ = std::move(picture.pixels);
    width_ = pixels_->width();
    height_ = pixels_->height();
    noAlpha_ = false;
    return picture.complete;
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

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) {
  if (!noAlpha_) {
    drawAlphaBlend(context, rect, offset, 255);
    return;
  }
  if (!pixels_ || context == nullptr) return;
  if (auto* device = context->device()) device->copyPixels(*pixels_, context->toDevice(rect), offset.x, offset.y);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) {
  if (!noAlpha_) {
    drawAlphaBlend(context, rect, offset, 255);
    return;
  }
  if (!pixels_ || context == nullptr) return;
  if (auto* device = context->device()) {
    platform::DrawColor key{transparentColor_.red, transparentColor_.green, transparentColor_.blue, 255};
    device->copyPixelsKeyed(*pixels_, context->toDevice(rect), offset.x, offset.y, key);
  }
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, unsigned char alpha) {
  if (!pixels_ || context == nullptr) return;
  if (auto* device = context->device())
    device->blendPixels(*pixels_, context->toDevice(rect), offset.x, offset.y, alpha);
}

}  // namespace sorvane
