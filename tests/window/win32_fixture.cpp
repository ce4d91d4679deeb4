#include "tests/window/win32_fixture.h"

namespace sorvane::test {

std::unique_ptr<hostkit::HostWindow> makeHostWindow(int width, int height) {
  auto window = hostkit::createHostWindow("Sorvane window test", width, height);
  EXPECT_NE(window, nullptr) << "no window could be made: window tests need a display (run under xvfb-run -a)";
  return window;
}

}  // namespace sorvane::test
