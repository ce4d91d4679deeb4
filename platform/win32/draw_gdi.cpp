// The GDI back end: pictures are 32-bit DIB sections, drawn with AlphaBlend
// (per-pixel alpha, premultiplied source) and TransparentBlt, both looked up
// at run time in msimg32.dll; text through GDI fonts and DrawText.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/draw.h"
#include "platform/software/draw_software.h"
#include "platform/win32/gdi_objects.h"

namespace sorvane::platform {
namespace {

constexpr long long kMaxPixels = 64LL * 1024 * 1024;
constexpr int kMaxSide = 32768;

using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

// msimg32 is loaded once for the process and kept: every device uses it.
struct Msimg32 {
  HMODULE module = nullptr;
  AlphaBlendFn alphaBlend = nullptr;
  TransparentBltFn transparentBlt = nullptr;
  Msimg32() {
    module = LoadLibraryA("msimg32.dll");
    if (module) {
      alphaBlend = reinterpret_cast<AlphaBlendFn>(reinterpret_cast<void*>(GetProcAddress(module, "AlphaBlend")));
      transparentBlt =
          reinterpret_cast<TransparentBltFn>(reinterpret_cast<void*>(GetProcAddress(module, "TransparentBlt")));
    }
  }
};

const Msimg32& msimg32() {
  static Msimg32 instance;
  return instance;
}

COLORREF colorRef(DrawColor c) { return RGB(c.red, c.green, c.blue); }

BITMAPINFO dibInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: rows bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A 32-bit DIB section with bottom-up rows: the picture's first row is the
// last one in memory.
class DibPixelBuffer final : public PixelBuffer {
 public:
  static std::unique_ptr<DibPixelBuffer> create(int width, int height) {
    BITMAPINFO info = dibInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = gdi::counted(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
      gdi::deleteObject(bitmap);
      return nullptr;
    }
    std::memset(bits, 0, static_cast<std::size_t>(width) * height * 4);
    return std::unique_ptr<DibPixelBuffer>(new DibPixelBuffer(width, height, bitmap, static_cast<std::uint8_t*>(bits)));
  }
  ~DibPixelBuffer() override { gdi::deleteObject(bitmap_); }
  int width() const override { return width_; }
  int height() const override { return height_; }
  std::uint8_t* row(int y) override {
    GdiFlush();  // GDI may still be writing into the bits
    return bits_ + static_cast<std::size_t>(height_ - 1 - y) * width_ * 4;
  }
  void* nativeHandle() const override { return bitmap_; }

 private:
  DibPixelBuffer(int w, int h, HBITMAP b, std::uint8_t* bits) : width_(w), height_(h), bitmap_(b), bits_(bits) {}
  int width_, height_;
  HBITMAP bitmap_;
  std::uint8_t* bits_;
};

// A source picture selected into a memory context for a blit; pictures that
// are not DIB sections are copied into a temporary one.
class SourceContext {
 public:
  SourceContext(HDC reference, const PixelBuffer& source) {
    HBITMAP bitmap = static_cast<HBITMAP>(source.nativeHandle());
    if (!bitmap) {
      temporary_ = DibPixelBuffer::create(source.width(), source.height());
      if (!temporary_) return;
      for (int y = 0; y < source.height(); ++y)
        std::memcpy(temporary_->row(y), source.row(y), static_cast<std::size_t>(source.width()) * 4);
      bitmap = static_cast<HBITMAP>(temporary_->nativeHandle());
    }
    dc_ = gdi::counted(CreateCompatibleDC(reference));
    if (dc_) old_ = SelectObject(dc_, bitmap);
  }
  ~SourceContext() {
    if (dc_) {
      SelectObject(dc_, old_);
      gdi::deleteDC(dc_);
    }
  }
  SourceContext(const SourceContext&) = delete;
  SourceContext& operator=(const SourceContext&) = delete;
  HDC dc() const { return dc_; }

 private:
  std::unique_ptr<DibPixelBuffer> temporary_;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// A text as the W calls take it: UTF-8, the toolkit's encoding ("0°").
// Names that come from the system's A calls (preset files found with
// FindFirstFileA) are in the system's code page instead, and are hardly
// ever valid UTF-8: a text that is not is read in that code page, so such a
// name shows as the pop-up menu, which takes it as it is, shows it.
class WideText {
 public:
  explicit WideText(const char* text) {
    if (!convert(CP_UTF8, MB_ERR_INVALID_CHARS, text) && !convert(CP_ACP, 0, text)) large_.assign(1, L'\0');
  }
  const wchar_t* text() const { return large_.empty() ? small_ : large_.data(); }

 private:
  bool convert(UINT codePage, DWORD flags, const char* text) {
    large_.clear();
    if (MultiByteToWideChar(codePage, flags, text, -1, small_, static_cast<int>(std::size(small_))) > 0) return true;
    const int length = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
    if (length <= 0) return false;
    large_.resize(static_cast<size_t>(length));
    return MultiByteToWideChar(codePage, flags, text, -1, large_.data(), length) > 0;
  }

  wchar_t small_[64] = {};
  std::vector<wchar_t> large_;
};

class GdiFont final : public DeviceFont {
 public:
  explicit GdiFont(const FontRequest& request) {
    bool symbol = request.name == "Symbol";
    font = gdi::counted(CreateFontA(-request.size, 0, 0, 0, (request.style & 1) ? FW_BOLD : FW_NORMAL,
                                    (request.style & 2) ? TRUE : FALSE, (request.style & 4) ? TRUE : FALSE, FALSE,
                                    DEFAULT_CHARSET, OUT_STRING_PRECIS, CLIP_STROKE_PRECIS, DEFAULT_QUALITY,
                                    VARIABLE_PITCH | (symbol ? FF_DECORATIVE : FF_SWISS), request.name.c_str()));
  }
  ~GdiFont() override { gdi::deleteObject(font); }
  HFONT font = nullptr;
};

class GdiDevice final : public DrawDevice {
 public:
  // On a window's context (not owned).
  GdiDevice(HDC dc, HWND window) : dc_(dc) {
    RECT r{};
    if (window && GetClientRect(window, &r)) {
      width_ = r.right - r.left;
      height_ = r.bottom - r.top;
    } else {
      width_ = GetDeviceCaps(dc, HORZRES);
      height_ = GetDeviceCaps(dc, VERTRES);
    }
  }
  // An off-screen buffer: a memory context with a bitmap compatible with the
  // window's context.
  GdiDevice(HWND window, int width, int height) : width_(width), height_(height) {
    HDC windowDc = GetDC(window);
    dc_ = gdi::counted(CreateCompatibleDC(windowDc));
    ownedBitmap_ = gdi::counted(CreateCompatibleBitmap(windowDc, width, height));
    ReleaseDC(window, windowDc);
    ownsDc_ = true;
    if (dc_ && ownedBitmap_) oldBitmap_ = SelectObject(dc_, ownedBitmap_);
  }
  ~GdiDevice() override {
    if (clip_) {
      SelectClipRgn(dc_, nullptr);
      gdi::deleteObject(clip_);
    }
    if (ownsDc_) {
      if (oldBitmap_) SelectObject(dc_, oldBitmap_);
      gdi::deleteObject(ownedBitmap_);
      gdi::deleteDC(dc_);
    }
  }
  bool valid() const { return dc_ != nullptr && (!ownsDc_ || oldBitmap_ != nullptr); }

  int width() const override { return width_; }
  int height() const override { return height_; }

  void setClip(const DrawRect& clip) override {
    HRGN region = gdi::counted(
        CreateRectRgn(clip.left, clip.top, std::max(clip.left, clip.right), std::max(clip.top, clip.bottom)));
    SelectClipRgn(dc_, region);  // the context keeps its own copy
    gdi::deleteObject(clip_);
    clip_ = region;
  }

  void fillRect(const DrawRect& rect, DrawColor color) override {
    if (rect.empty()) return;
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    HBRUSH brush = gdi::counted(CreateSolidBrush(colorRef(color)));
    FillRect(dc_, &r, brush);
    gdi::deleteObject(brush);
  }

  void drawLine(int x0, int y0, int x1, int y1, DrawColor color, int lineWidth) override {
    HPEN pen = gdi::counted(CreatePen(PS_SOLID, std::max(1, lineWidth), colorRef(color)));
    HGDIOBJ old = SelectObject(dc_, pen);
    MoveToEx(dc_, x0, y0, nullptr);
    LineTo(dc_, x1, y1);
    SelectObject(dc_, old);
    gdi::deleteObject(pen);
  }

  void blendPixels(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY,
                   std::uint8_t alpha) override {
    DrawRect r = window(source, dest, sourceX, sourceY);
    if (r.empty()) return;
    SourceContext src(dc_, source);
    if (!src.dc()) return;
    int sx = r.left - dest.left + sourceX, sy = r.top - dest.top + sourceY;
    if (msimg32().alphaBlend) {
      BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
      msimg32().alphaBlend(dc_, r.left, r.top, r.width(), r.height(), src.dc(), sx, sy, r.width(), r.height(), blend);
    } else {
      // Without the system's blend (never seen on the supported systems) the
      // picture is at least shown, opaque.
      BitBlt(dc_, r.left, r.top, r.width(), r.height(), src.dc(), sx, sy, SRCCOPY);
    }
  }

  void copyPixels(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY) override {
    DrawRect r = window(source, dest, sourceX, sourceY);
    if (r.empty()) return;
    SourceContext src(dc_, source);
    if (!src.dc()) return;
    BitBlt(dc_, r.left, r.top, r.width(), r.height(), src.dc(), r.left - dest.left + sourceX,
           r.top - dest.top + sourceY, SRCCOPY);
  }

  void copyPixelsKeyed(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY,
                       DrawColor key) override {
    DrawRect r = window(source, dest, sourceX, sourceY);
    if (r.empty()) return;
    SourceContext src(dc_, source);
    if (!src.dc()) return;
    int sx = r.left - dest.left + sourceX, sy = r.top - dest.top + sourceY;
    int w = r.width(), h = r.height();
    if (msimg32().transparentBlt) {
      msimg32().transparentBlt(dc_, r.left, r.top, w, h, src.dc(), sx, sy, w, h, colorRef(key));
      return;
    }
    // The mask blit: destination ^ source, & mask (white where transparent),
    // ^ source again.
    HDC maskDc = gdi::counted(CreateCompatibleDC(dc_));
    HBITMAP mask = gdi::counted(CreateBitmap(w, h, 1, 1, nullptr));
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    COLORREF oldSourceBk = SetBkColor(src.dc(), colorRef(key));
    BitBlt(maskDc, 0, 0, w, h, src.dc(), sx, sy, SRCCOPY);
    SetBkColor(src.dc(), oldSourceBk);
    COLORREF oldBk = SetBkColor(dc_, RGB(255, 255, 255));
    COLORREF oldText = SetTextColor(dc_, RGB(0, 0, 0));
    BitBlt(dc_, r.left, r.top, w, h, src.dc(), sx, sy, SRCINVERT);
    BitBlt(dc_, r.left, r.top, w, h, maskDc, 0, 0, SRCAND);
    BitBlt(dc_, r.left, r.top, w, h, src.dc(), sx, sy, SRCINVERT);
    SetBkColor(dc_, oldBk);
    SetTextColor(dc_, oldText);
    SelectObject(maskDc, oldMask);
    gdi::deleteObject(mask);
    gdi::deleteDC(maskDc);
  }

  void drawText(const char* text, const DrawRect& rect, TextAlign align, const FontRequest& request,
                std::unique_ptr<DeviceFont>& fontCache, DrawColor color) override {
    if (text == nullptr || *text == '\0') return;
    auto* font = dynamic_cast<GdiFont*>(fontCache.get());
    if (font == nullptr) {
      auto made = std::make_unique<GdiFont>(request);
      font = made.get();
      fontCache = std::move(made);
    }
    if (!font->font) return;
    HGDIOBJ oldFont = SelectObject(dc_, font->font);
    COLORREF oldColor = SetTextColor(dc_, colorRef(color));
    int oldMode = SetBkMode(dc_, TRANSPARENT);
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                  (align == TextAlign::Left    ? DT_LEFT
                   : align == TextAlign::Right ? DT_RIGHT
                                               : DT_CENTER);
    // The A call would read UTF-8 in the system's code page.
    WideText wide(text);
    DrawTextW(dc_, wide.text(), -1, &r, format);
    SetBkMode(dc_, oldMode);
    SetTextColor(dc_, oldColor);
    SelectObject(dc_, oldFont);
  }

  void copyTo(DrawDevice& destination, const DrawRect& source, int destX, int destY) override {
    if (auto* gdi = dynamic_cast<GdiDevice*>(&destination)) {
      BitBlt(gdi->dc_, destX, destY, source.width(), source.height(), dc_, source.left, source.top, SRCCOPY);
      return;
    }
    auto picture = createMemoryPixelBuffer(width_, height_);
    if (picture && readPixels(*picture))
      destination.copyPixels(*picture, DrawRect{destX, destY, destX + source.width(), destY + source.height()},
                             source.left, source.top);
  }

  bool readPixels(PixelBuffer& into) override {
    if (into.width() != width_ || into.height() != height_) return false;
    auto dib = DibPixelBuffer::create(width_, height_);
    if (!dib) return false;
    HDC memory = gdi::counted(CreateCompatibleDC(dc_));
    HGDIOBJ old = SelectObject(memory, static_cast<HBITMAP>(dib->nativeHandle()));
    // Read everything, whatever the clip says.
    BOOL copied = BitBlt(memory, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    gdi::deleteDC(memory);
    if (!copied) return false;
    for (int y = 0; y < height_; ++y) {
      std::uint8_t* d = into.row(y);
      std::memcpy(d, dib->row(y), static_cast<std::size_t>(width_) * 4);
      for (int x = 0; x < width_; ++x) d[x * 4 + 3] = 255;
    }
    return true;
  }

 private:
  // Destination pixels that have a source pixel (GDI refuses source
  // rectangles reaching outside the picture); the clip region does the rest.
  static DrawRect window(const PixelBuffer& source, const DrawRect& dest, int sourceX, int sourceY) {
    DrawRect fromSource{dest.left - sourceX, dest.top - sourceY, dest.left - sourceX + source.width(),
                        dest.top - sourceY + source.height()};
    return dest.intersect(fromSource);
  }

  HDC dc_ = nullptr;
  bool ownsDc_ = false;
  HBITMAP ownedBitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HRGN clip_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

std::atomic<int> liveObjects{0};

}  // namespace

namespace gdi {
void countObjects(int delta) { liveObjects.fetch_add(delta, std::memory_order_relaxed); }
}  // namespace gdi

int liveGdiObjects() { return liveObjects.load(std::memory_order_relaxed); }

std::unique_ptr<PixelBuffer> createPixelBuffer(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
      static_cast<long long>(width) * height > kMaxPixels)
    return nullptr;
  return DibPixelBuffer::create(width, height);
}

std::unique_ptr<DrawDevice> createWindowDevice(void* systemContext, void* window) {
  if (systemContext == nullptr) return nullptr;
  return std::make_unique<GdiDevice>(static_cast<HDC>(systemContext), static_cast<HWND>(window));
}

std::unique_ptr<DrawDevice> createOffscreenDevice(void* window, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  auto device = std::make_unique<GdiDevice>(static_cast<HWND>(window), width, height);
  if (!device->valid()) return nullptr;
  return device;
}

const char* nativeBackendName() { return "gdi"; }

}  // namespace sorvane::platform
