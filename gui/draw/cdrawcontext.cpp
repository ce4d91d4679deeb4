#include "gui/draw/cdrawcontext.h"

#include <algorithm>

#include "gui/draw/scaling.h"

namespace sorvane {
namespace {

platform::DrawColor deviceColor(const CColor& c) { return platform::DrawColor{c.red, c.green, c.blue, 255}; }

}  // namespace

CDrawContext::CDrawContext(platform::DrawDevice& device, CFrame* frame) : frame_(frame), device_(&device) {
  setFont(nullptr);
  resetClipRect();
}

CDrawContext::CDrawContext(std::unique_ptr<platform::DrawDevice> device, CFrame* frame)
    : frame_(frame), ownedDevice_(std::move(device)), device_(ownedDevice_.get()) {
  setFont(nullptr);
  resetClipRect();
}

CDrawContext::~CDrawContext() {
  if (font_) font_->forget();
}

platform::DrawRect CDrawContext::toDevice(const CRect& r) const {
  const platform::DrawRect moved{r.left + offset.x, r.top + offset.y, r.right + offset.x, r.bottom + offset.y};
  if (scale_ == 100) return moved;
  return scaleToWindowArea(CRect(moved.left, moved.top, moved.right, moved.bottom), scale_);
}

int CDrawContext::lengthToDevice(int length) const { return scale_ == 100 ? length : scaleToWindow(length, scale_); }

int CDrawContext::lineToDevice(int coordinate, int deviceWidth) const {
  if (scale_ == 100) return coordinate;
  // The panel's line covers lineWidth pixels around the coordinate; the
  // device's, as wide as they map to, starts where the first of them does.
  const int first = scaleToWindow(coordinate - (lineWidth_ - 1) / 2, scale_);
  return first + (deviceWidth - 1) / 2;
}

void CDrawContext::setScale(int percent) {
  scale_ = percent >= 100 ? percent : 100;
  resetClipRect();
}

void CDrawContext::limitToDevice(const platform::DrawRect& area) {
  limited_ = true;
  limit_ = area;
  applyClip();
}

platform::DrawDevice* CDrawContext::device() {
  if (device_ && !(clipOffset_ == offset)) applyClip();
  return device_;
}

void CDrawContext::moveTo(const CPoint& point) { pen_ = point; }

void CDrawContext::lineTo(const CPoint& point) {
  if (device()) {
    const int width = std::max(1, lengthToDevice(lineWidth_));
    device_->drawLine(lineToDevice(pen_.x + offset.x, width), lineToDevice(pen_.y + offset.y, width),
                      lineToDevice(point.x + offset.x, width), lineToDevice(point.y + offset.y, width),
                      deviceColor(frameColor_), width);
  }
  pen_ = point;
}

void CDrawContext::drawRect(const CRect& rect) {
  if (!device() || rect.isEmpty()) return;
  platform::DrawRect r = toDevice(rect);
  int w = std::min({std::max(1, lengthToDevice(lineWidth_)), r.width(), r.height()});
  platform::DrawColor c = deviceColor(frameColor_);
  device_->fillRect({r.left, r.top, r.right, r.top + w}, c);
  device_->fillRect({r.left, r.bottom - w, r.right, r.bottom}, c);
  device_->fillRect({r.left, r.top + w, r.left + w, r.bottom - w}, c);
  device_->fillRect({r.right - w, r.top + w, r.right, r.bottom - w}, c);
}

void CDrawContext::fillRect(const CRect& rect) {
  if (device()) device_->fillRect(toDevice(rect), deviceColor(fillColor_));
}

void CDrawContext::setFont(CFontDesc* font) {
  if (font == nullptr) font = kSystemFont;
  font->remember();
  if (font_) font_->forget();
  font_ = font;
}

void CDrawContext::setClipRect(const CRect& clip) {
  clip_ = clip;
  applyClip();
}

CRect& CDrawContext::getClipRect(CRect& clip) const {
  clip = clip_;
  return clip;
}

void CDrawContext::resetClipRect() {
  if (device_) {
    clip_ = coveringPanelRect(platform::DrawRect{0, 0, device_->width(), device_->height()}, scale_);
    clip_.offset(-offset.x, -offset.y);
  } else {
    clip_ = CRect();
  }
  applyClip();
}

void CDrawContext::applyClip() {
  clipOffset_ = offset;
  if (!device_) return;
  platform::DrawRect clip = toDevice(clip_);
  if (limited_) {
    clip = clip.intersect(limit_);
    // Empty stays empty where it was, not at the origin the intersection gives.
    if (clip.empty()) clip = platform::DrawRect{limit_.left, limit_.top, limit_.left, limit_.top};
  }
  device_->setClip(clip);
}

void CDrawContext::drawString(const char* string, const CRect& rect, CHoriTxtAlign align) {
  if (!device() || string == nullptr || *string == '\0') return;
  auto a = align == kLeftText    ? platform::TextAlign::Left
           : align == kRightText ? platform::TextAlign::Right
                                 : platform::TextAlign::Center;
  if (scale_ == 100) {
    device_->drawText(string, toDevice(rect), a, font_->request(), font_->deviceFont(), deviceColor(fontColor_));
    return;
  }
  platform::FontRequest request = font_->request();
  request.size = std::max(1, lengthToDevice(request.size));
  device_->drawText(string, toDevice(rect), a, request, font_->deviceFont(request.size), deviceColor(fontColor_));
}

COffscreenContext::COffscreenContext(void* window, int width, int height, const CColor& background)
    : CDrawContext(platform::createOffscreenDevice(window, width, height)),
      width_(width),
      height_(height),
      background_(background) {
  setFillColor(background);
  setFrameColor(background);
  CRect all(0, 0, width, height);
  fillRect(all);
  drawRect(all);
}

void COffscreenContext::copyTo(CDrawContext* destination, const CRect& source, const CPoint& destinationPoint) {
  if (destination == nullptr || device() == nullptr || destination->device() == nullptr) return;
  platform::DrawRect from = toDevice(source);
  device()->copyTo(*destination->device(), from, destinationPoint.x + destination->offset.x,
                   destinationPoint.y + destination->offset.y);
}

}  // namespace sorvane
