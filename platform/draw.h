// Drawing back ends. The toolkit (gui/) draws only through these interfaces;
// a back end turns them into GDI calls on Windows or into plain pixel work
// (the software back end, used on other systems, by the tests and by the
// snapshot tool).
//
// Pictures are 32-bit, four bytes per pixel in memory order blue, green, red,
// alpha, with the colour premultiplied by alpha. Rectangles are half-open:
// they cover columns left .. right-1 and rows top .. bottom-1.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace sorvane::platform {

struct DrawRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;

  std::int32_t width() const { return right - left; }
  std::int32_t height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  DrawRect intersect(const DrawRect& other) const;
};

struct DrawColor {
  std::uint8_t red = 0, green = 0, blue = 0, alpha = 255;
};

// A premultiplied BGRA picture.
class PixelBuffer {
 public:
  virtual ~PixelBuffer() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Row y counted from the top, 4 × width bytes. Storage order is the back
  // end's business (a Windows DIB section keeps its rows bottom-up).
  virtual std::uint8_t* row(int y) = 0;
  const std::uint8_t* row(int y) const { return const_cast<PixelBuffer*>(this)->row(y); }
  // The back end's own handle (the DIB section's HBITMAP on Windows), or null.
  virtual void* nativeHandle() const { return nullptr; }
};

// A zero-filled picture of the native kind (a DIB section on Windows, so GDI
// can blend it; plain memory elsewhere). Null for non-positive or absurd
// sizes, or when the system refuses.
std::unique_ptr<PixelBuffer> createPixelBuffer(int width, int height);

// Plain memory picture, usable by the software back end on every system.
std::unique_ptr<PixelBuffer> createMemoryPixelBuffer(int width, int height);

enum class TextAlign { Left = 0, Center = 1, Right = 2 };

// Font as the toolkit describes it: size is the character height in pixels;
// style bits: bold 1, italic 2, underline 4.
struct FontRequest {
  std::string name;
  int size = 12;
  int style = 0;
};

// A font made by one back end for one FontRequest. The toolkit caches it in the
// font descriptor; a back end that is handed another back end's font makes
// its own in its place.
class DeviceFont {
 public:
  virtual ~DeviceFont() = default;
};

// Something to draw on: a window's device context, an off-screen buffer or a
// software canvas. Device coordinates; every operation is limited to the clip.
class DrawDevice {
 public:
  virtual ~DrawDevice() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;

  virtual void setClip(const DrawRect& clip) = 0;
  virtual void fillRect(const DrawRect& rect, DrawColor color) = 0;
  // Straight line from (x0, y0) towards (x1, y1), the end point left out
  // (so joined segments do not draw their corners twice).
  virtual void drawLine(int x0, int y0, int x1, int y1, DrawColor color, int lineWidth) = 0;

  // Source-over compositing of a premultiplied picture, every source pixel
  // weighted by alpha / 255 first. The source part starts at sourceX, sourceY
  // and has the destination's size (no scaling).
  virtual void blendPixels(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY,
                           std::uint8_t alpha) = 0;
  // Straight copy; the source alpha is not looked at.
  virtual void copyPixels(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY) = 0;
  // Copy that leaves out the source pixels whose colour equals key.
  virtual void copyPixelsKeyed(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY,
                               DrawColor key) = 0;

  // One line of text, vertically centred in rect and aligned horizontally
  // within it, in color, on a transparent background; "&" is an ordinary
  // character. The font is made on first use and kept in fontCache.
  virtual void drawText(const char* text, const DrawRect& rect, TextAlign align, const FontRequest& font,
                        std::unique_ptr<DeviceFont>& fontCache, DrawColor color) = 0;

  // Copies part of this device to another one, destination top-left at
  // destX, destY (an off-screen buffer onto the window).
  virtual void copyTo(DrawDevice& destination, const DrawRect& source, int destX, int destY) = 0;

  // Reads the device's pixels into a picture of the same size (BGRA; the
  // alpha byte of devices that have none is 255). False if unreadable.
  virtual bool readPixels(PixelBuffer& into) = 0;
};

// The software back end, drawing into a picture that the caller keeps alive.
std::unique_ptr<DrawDevice> createSoftwareDevice(PixelBuffer& target);

// The native back end on a window's drawing context: on Windows an HDC (not
// owned) and its HWND; elsewhere systemContext is the PixelBuffer* to draw into.
std::unique_ptr<DrawDevice> createWindowDevice(void* systemContext, void* window);

// The native back end's off-screen buffer, compatible with the window's
// context (window may be null: compatible with the screen).
std::unique_ptr<DrawDevice> createOffscreenDevice(void* window, int width, int height);

// Name of the native back end ("gdi" or "software"), for messages and tests.
const char* nativeBackendName();

// GDI objects (contexts, bitmaps, fonts, brushes, pens, regions) that our
// Windows code made and has not yet deleted; 0 where there is no GDI. Leak
// checks compare it before and after, as Wine gives no system count.
int liveGdiObjects();

}  // namespace sorvane::platform
