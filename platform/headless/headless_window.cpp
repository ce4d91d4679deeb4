#include "platform/headless/headless_window.h"

#include <algorithm>

namespace sorvane::platform {
namespace {

bool contains(const DrawRect& outer, const DrawRect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

HeadlessWindow::HeadlessWindow(HeadlessWindowSystem& system, int width, int height, WindowClient& client)
    : system_(system), client_(&client), pixels_(createMemoryPixelBuffer(std::max(width, 1), std::max(height, 1))) {
  ++system_.live_;
  system_.newest_ = this;
}

HeadlessWindow::~HeadlessWindow() {
  *alive_ = false;
  --system_.live_;
  if (system_.newest_ == this) system_.newest_ = nullptr;
}

void HeadlessWindow::invalidate(const DrawRect& area) {
  const DrawRect part = area.intersect(DrawRect{0, 0, pixels_->width(), pixels_->height()});
  if (part.empty()) return;
  for (const DrawRect& held : pending_)
    if (contains(held, part)) return;
  std::erase_if(pending_, [&](const DrawRect& held) { return contains(part, held); });
  pending_.push_back(part);
}

bool HeadlessWindow::resize(int width, int height) {
  if (failNextResize) {
    failNextResize = false;
    return false;
  }
  auto pixels = createMemoryPixelBuffer(std::max(width, 1), std::max(height, 1));
  if (!pixels) return false;
  pixels_ = std::move(pixels);
  ++resizes_;
  pending_.clear();
  pending_.push_back(DrawRect{0, 0, pixels_->width(), pixels_->height()});
  return true;
}

void HeadlessWindow::update() {
  // Taken first: a paint may mark more, which waits for the next update.
  const std::vector<DrawRect> areas = std::move(pending_);
  pending_.clear();
  const std::shared_ptr<bool> alive = alive_;
  for (const DrawRect& area : areas) {
    paint(area);
    if (!*alive) return;
  }
}

void HeadlessWindow::paintAll() {
  pending_.clear();
  paint(DrawRect{0, 0, pixels_->width(), pixels_->height()});
}

void HeadlessWindow::paint(const DrawRect& area) {
  if (!client_) return;
  auto device = createSoftwareDevice(*pixels_);
  device->setClip(area);
  WindowEvent event;
  event.type = WindowEventType::Paint;
  event.area = area;
  event.device = device.get();
  ++paints_;
  client_->handleWindowEvent(event);
}

void HeadlessWindow::screenOrigin(int& x, int& y) {
  x = originX_;
  y = originY_;
}

WindowEventResult HeadlessWindow::send(const WindowEvent& event) {
  if (event.type == WindowEventType::MouseLeave) {
    // A system reports a leave only when one was asked for, and once.
    if (!leaveArmed_) return {};
    leaveArmed_ = false;
  }
  if (!client_) return {};
  // The system moved the focus before it says so.
  if (event.type == WindowEventType::KeyboardLost) keyboardHeld_ = false;
  const std::shared_ptr<bool> alive = alive_;
  const WindowEventResult result = client_->handleWindowEvent(event);
  if (!*alive) return result;
  switch (event.type) {
    case WindowEventType::MouseDown:
      if (result.captureMouse) captured_ = true;
      break;
    case WindowEventType::MouseUp:
    case WindowEventType::CaptureLost:
    case WindowEventType::Destroy:
      captured_ = false;
      break;
    default:
      break;
  }
  return result;
}

WindowEventResult HeadlessWindow::pointer(WindowEventType type, int x, int y, int buttons) {
  WindowEvent e;
  e.type = type;
  e.x = x, e.y = y, e.buttons = buttons;
  return send(e);
}

WindowEventResult HeadlessWindow::mouseDown(int x, int y, int buttons) {
  return pointer(WindowEventType::MouseDown, x, y, buttons);
}

WindowEventResult HeadlessWindow::mouseMove(int x, int y, int buttons) {
  return pointer(WindowEventType::MouseMove, x, y, buttons);
}

WindowEventResult HeadlessWindow::mouseUp(int x, int y, int buttons) {
  return pointer(WindowEventType::MouseUp, x, y, buttons);
}

WindowEventResult HeadlessWindow::wheel(int x, int y, int delta, int buttons) {
  WindowEvent e;
  e.type = WindowEventType::Wheel;
  e.x = x, e.y = y, e.buttons = buttons, e.wheelDelta = delta;
  return send(e);
}

WindowEventResult HeadlessWindow::key(WindowEventType type, const KeyCode& key) {
  WindowEvent e;
  e.type = type;
  e.key = key;
  return send(e);
}

std::unique_ptr<NativeWindow> HeadlessWindowSystem::createChildWindow(void* parent, int width, int height,
                                                                      WindowClient& client) {
  if (parent == nullptr || width < 0 || height < 0) return nullptr;
  if (failNextWindow) {
    failNextWindow = false;
    return nullptr;
  }
  return std::make_unique<HeadlessWindow>(*this, width, height, client);
}

HeadlessWindowSystem& headlessWindowSystem() {
  static HeadlessWindowSystem system;
  return system;
}

}  // namespace sorvane::platform
