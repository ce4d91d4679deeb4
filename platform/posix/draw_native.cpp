// Off Windows there is no window system underneath the toolkit: the native
// back end is the software one, and a "window context" is a picture.
#include "platform/draw.h"
#include "platform/software/draw_software.h"

namespace sorvane::platform {

std::unique_ptr<PixelBuffer> createPixelBuffer(int width, int height) { return createMemoryPixelBuffer(width, height); }

std::unique_ptr<DrawDevice> createWindowDevice(void* systemContext, void*) {
  if (systemContext == nullptr) return nullptr;
  return createSoftwareDevice(*static_cast<PixelBuffer*>(systemContext));
}

std::unique_ptr<DrawDevice> createOffscreenDevice(void*, int width, int height) {
  return createSoftwareOffscreen(width, height);
}

const char* nativeBackendName() { return "software"; }

int liveGdiObjects() { return 0; }

}  // namespace sorvane::platform
