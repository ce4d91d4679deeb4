#include "tests/window/win32_fixture.h"

#include <algorithm>
#include <cstdlib>

namespace sorvane::test {

std::unique_ptr<hostkit::HostWindow> makeHostWindow(int width, int height) {
  auto window = hostkit::createHostWindow("Sorvane window test", width, height);
  EXPECT_NE(window, nullptr) << "no window could be made: window tests need a display (run under xvfb-run -a)";
  return window;
}

PictureComparison comparePictures(const platform::PixelBuffer& window, const platform::PixelBuffer& headless,
                                  const std::vector<CRect>& textAreas) {
  PictureComparison result;
  for (int y = 0; y < window.height(); ++y) {
    for (int x = 0; x < window.width(); ++x) {
      const bool text = std::any_of(textAreas.begin(), textAreas.end(), [&](const CRect& r) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      });
      bool darker = false;
      for (int c = 0; c < 3; ++c) {
        const int w = window.row(y)[4 * x + c], h = headless.row(y)[4 * x + c];
        if (!text && std::abs(w - h) > result.outside) {
          result.outside = std::abs(w - h);
          result.where = std::to_string(x) + "," + std::to_string(y);
        }
        if (text) result.brighterInText = std::max(result.brighterInText, w - h);
        darker |= text && h - w > 16;
      }
      result.darkenedInText += darker ? 1 : 0;
    }
  }
  return result;
}

}  // namespace sorvane::test
