#include "gui/draw/cdrawcontext.h"

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
  return platform::DrawRect{r.left + offset.x, r.top + offset.y, r.right + offset.x, r.bottom + offset.y};
}

platform::DrawDevice* CDrawContext::device() {
  if (device_ && !(clipOffset_ == offset)) applyClip();
  return device_;
}

void CDrawContext::moveTo(const CPoint& point) { pen_ = point; }

void CDrawContext::lineTo(const CPoint& point) {
  if (device()) {
    device_->drawLine(pen_.x + offset.x, pen_.y + offset.y, point.x + offset.x, point.y + offset.y,
                      deviceColor(frameColor_), lineWidth_);
  }
  pen_ = point;
}

void CDrawContext::drawRect(const CRect& rect) {
  if (!device() || rect.isEmpty()) return;
  platform::DrawRect r = toDevice(rect);
  int w = std::min({lineWidth_, r.width(), r.height()});
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
  clip_ = device_ ? CRect(-offset.x, -offset.y, device_->width() - offset.x, device_->height() - offset.y) : CRect();
  applyClip();
}

void CDrawContext::applyClip() {
  clipOffset_ = offset;
  if (device_) device_->setClip(toDevice(clip_));
}

void CDrawContext::drawString(const char* string, const CRect& rect, CHoriTxtAlign align) {
  if (!device() || string == nullptr || *string == '\0') return;
  auto a = align == kLeftText    ? platform::TextAlign::Left
           : align == kRightText ? platform::TextAlign::Right
                                 : platform::TextAlign::Center;
  device_->drawText(string, toDevice(rect), a, font_->request(), font_->deviceFont(), deviceColor(fontColor_));
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
