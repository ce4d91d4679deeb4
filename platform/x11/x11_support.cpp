#include "platform/x11/x11_support.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace sorvane::platform::x11 {
namespace {

// Each thread's own traps; the handler is installed while any thread has one.
thread_local ErrorTrap* innermost = nullptr;
std::mutex installLock;
int activeTraps = 0;
XErrorHandler previousHandler = nullptr;

// One colour channel of a true-colour pixel: where its bits sit and how many.
struct Channel {
  int shift = 0;
  int bits = 0;
  explicit Channel(unsigned long mask) {
    if (mask == 0) return;
    while (!(mask & 1)) mask >>= 1, ++shift;
    while (mask & 1) mask >>= 1, ++bits;
  }
  unsigned long pack(std::uint8_t value) const {
    return bits >= 8 ? static_cast<unsigned long>(value) << (shift + bits - 8)
                     : static_cast<unsigned long>(value >> (8 - bits)) << shift;
  }
  std::uint8_t unpack(unsigned long pixel) const {
    if (bits == 0) return 0;
    const unsigned long v = (pixel >> shift) & ((1ul << bits) - 1);
    if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
    return static_cast<std::uint8_t>(v * 255 / ((1ul << bits) - 1));
  }
};

// The software back end's own layout: blue, green, red, spare byte.
bool isBgra(const XImage& image) {
  return image.bits_per_pixel == 32 && image.byte_order == LSBFirst && image.red_mask == 0xff0000 &&
         image.green_mask == 0xff00 && image.blue_mask == 0xff;
}

// The rows of a server image, seen as a picture.
class ImagePixels final : public PixelBuffer {
 public:
  explicit ImagePixels(XImage& image) : image_(image) {}
  int width() const override { return image_.width; }
  int height() const override { return image_.height; }
  std::uint8_t* row(int y) override {
    return reinterpret_cast<std::uint8_t*>(image_.data) + static_cast<size_t>(y) * image_.bytes_per_line;
  }

 private:
  XImage& image_;
};

}  // namespace

namespace {

// Waits for the server only when it has requests of ours not yet answered
// (an idle with nothing to do costs no round trip).
void syncIfBusy(Display* display) {
  if (display && NextRequest(display) - 1 != LastKnownRequestProcessed(display)) XSync(display, False);
}

}  // namespace

ErrorTrap::ErrorTrap(Display* display) : display_(display), outer_(innermost) {
  {
    std::lock_guard<std::mutex> lock(installLock);
    if (activeTraps++ == 0) previousHandler = XSetErrorHandler(&ErrorTrap::handle);
  }
  innermost = this;
}

ErrorTrap::~ErrorTrap() {
  syncIfBusy(display_);
  innermost = outer_;
  std::lock_guard<std::mutex> lock(installLock);
  if (--activeTraps == 0) XSetErrorHandler(previousHandler);
}

bool ErrorTrap::sync() {
  syncIfBusy(display_);
  const bool clean = errors_ == 0;
  errors_ = 0;
  return clean;
}

int ErrorTrap::handle(Display* display, XErrorEvent* error) {
  for (ErrorTrap* trap = innermost; trap; trap = trap->outer_) {
    if (trap->display_ == display) {
      ++trap->errors_;
      return 0;
    }
  }
  // Not one of ours (the host's own display): whoever handled errors before.
  return previousHandler ? previousHandler(display, error) : 0;
}

Connection::~Connection() {
  ErrorTrap trap(display_);
  XCloseDisplay(display_);
  trap.displayClosed();
}

namespace {

// Creations still to succeed before one is refused; negative: none is.
std::atomic<int> creationsBeforeRefusal{-1};

bool refusedForTest() {
  int left = creationsBeforeRefusal.load();
  while (left >= 0 && !creationsBeforeRefusal.compare_exchange_weak(left, left - 1)) {
  }
  return left == 0;
}

}  // namespace

void Surface::refuseCreationAfter(int successes) { creationsBeforeRefusal = successes < 0 ? -1 : successes; }

std::unique_ptr<Surface> Surface::create(Display* display, Visual* visual, int depth, int width, int height) {
  if (width <= 0 || height <= 0 || refusedForTest()) return nullptr;
  std::unique_ptr<Surface> surface(new Surface);
  surface->display_ = display;

  int major = 0, minor = 0;
  Bool pixmaps = False;
  if (XShmQueryExtension(display) && XShmQueryVersion(display, &major, &minor, &pixmaps)) {
    XImage* image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &surface->segment_,
                                    static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image) {
      const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
      surface->segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
      bool attached = false;
      if (surface->segment_.shmid >= 0) {
        void* memory = shmat(surface->segment_.shmid, nullptr, 0);
        if (memory != reinterpret_cast<void*>(-1)) {
          surface->segment_.shmaddr = image->data = static_cast<char*>(memory);
          surface->segment_.readOnly = False;
          // A server on another machine refuses the segment.
          ErrorTrap trap(display);
          attached = XShmAttach(display, &surface->segment_) && trap.sync();
          if (!attached) shmdt(memory);
        }
        // Gone as soon as both sides detach, even if the host dies first.
        shmctl(surface->segment_.shmid, IPC_RMID, nullptr);
      }
      if (attached) {
        surface->image_ = image;
        surface->shared_ = true;
      } else {
        image->data = nullptr;
        XDestroyImage(image);
      }
    }
  }
  if (!surface->image_) {
    const int bitmapPad = depth > 16 ? 32 : depth > 8 ? 16 : 8;
    XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), bitmapPad, 0);
    if (!image) return nullptr;
    image->data =
        static_cast<char*>(std::calloc(static_cast<size_t>(image->bytes_per_line), static_cast<size_t>(height)));
    if (!image->data) {
      XDestroyImage(image);
      return nullptr;
    }
    surface->image_ = image;
  }
  surface->direct_ = isBgra(*surface->image_);
  if (surface->direct_)
    surface->pixels_ = std::make_unique<ImagePixels>(*surface->image_);
  else
    surface->pixels_ = createMemoryPixelBuffer(width, height);
  if (!surface->pixels_) return nullptr;
  return surface;
}

Surface::~Surface() {
  if (!image_) return;
  if (shared_) {
    XShmDetach(display_, &segment_);
    image_->data = nullptr;
    XDestroyImage(image_);
    shmdt(segment_.shmaddr);
  } else {
    XDestroyImage(image_);  // frees the rows too
  }
}

void Surface::present(Drawable drawable, GC gc, const DrawRect& area) {
  const DrawRect bounds{0, 0, image_->width, image_->height};
  const DrawRect part = area.intersect(bounds);
  if (part.empty()) return;
  if (!direct_) {
    const Channel red(image_->red_mask), green(image_->green_mask), blue(image_->blue_mask);
    for (int y = part.top; y < part.bottom; ++y) {
      const std::uint8_t* source = pixels_->row(y);
      for (int x = part.left; x < part.right; ++x) {
        const std::uint8_t* p = source + 4 * x;
        XPutPixel(image_, x, y, red.pack(p[2]) | green.pack(p[1]) | blue.pack(p[0]));
      }
    }
  }
  if (shared_)
    XShmPutImage(display_, drawable, gc, image_, part.left, part.top, part.left, part.top,
                 static_cast<unsigned>(part.width()), static_cast<unsigned>(part.height()), False);
  else
    XPutImage(display_, drawable, gc, image_, part.left, part.top, part.left, part.top,
              static_cast<unsigned>(part.width()), static_cast<unsigned>(part.height()));
}

size_t Surface::bytes() const {
  const size_t image = static_cast<size_t>(image_->bytes_per_line) * static_cast<size_t>(image_->height);
  return direct_ ? image : image + static_cast<size_t>(pixels_->width()) * pixels_->height() * 4;
}

void readImage(XImage& image, PixelBuffer& into) {
  const int width = std::min(image.width, into.width()), height = std::min(image.height, into.height());
  if (isBgra(image)) {
    for (int y = 0; y < height; ++y) {
      std::uint8_t* out = into.row(y);
      std::memcpy(out, image.data + static_cast<size_t>(y) * image.bytes_per_line, static_cast<size_t>(width) * 4);
      for (int x = 0; x < width; ++x) out[4 * x + 3] = 255;
    }
    return;
  }
  const Channel red(image.red_mask), green(image.green_mask), blue(image.blue_mask);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = into.row(y);
    for (int x = 0; x < width; ++x) {
      const unsigned long pixel = XGetPixel(&image, x, y);
      out[4 * x + 0] = blue.unpack(pixel);
      out[4 * x + 1] = green.unpack(pixel);
      out[4 * x + 2] = red.unpack(pixel);
      out[4 * x + 3] = 255;
    }
  }
}

}  // namespace sorvane::platform::x11
