// The drawing back ends the tests run against: the software one everywhere,
// and the native one (GDI) where the build is for Windows.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/software/draw_software.h"

namespace sorvane::test {

struct Backend {
  std::string name;
  std::function<std::unique_ptr<platform::DrawDevice>(int width, int height)> make;
};

inline std::vector<Backend> allBackends() {
  std::vector<Backend> list{{"software", [](int w, int h) { return platform::createSoftwareOffscreen(w, h); }}};
  if (std::string(platform::nativeBackendName()) != "software")
    list.push_back(
        {platform::nativeBackendName(), [](int w, int h) { return platform::createOffscreenDevice(nullptr, w, h); }});
  return list;
}

}  // namespace sorvane::test
