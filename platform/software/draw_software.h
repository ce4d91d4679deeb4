// The software back end's own off-screen buffer, for the native layers that
// use it as their off-screen device.
#pragma once

#include <memory>

#include "platform/draw.h"

namespace sorvane::platform {

// A software device that owns its zero-filled picture; null for bad sizes.
std::unique_ptr<DrawDevice> createSoftwareOffscreen(int width, int height);

}  // namespace sorvane::platform
