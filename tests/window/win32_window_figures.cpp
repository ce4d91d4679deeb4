// How long the real window takes, for the record: effEditOpen to the end of
// the first paint, one whole open and close, and one full repaint, each the
// median of many runs, for both products and both painting paths. Printed,
// not asserted: a loaded machine must not fail the build.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "tests/window/win32_fixture.h"

namespace sorvane::test {
namespace {

namespace probe = hostkit::win32probe;
constexpr int kRuns = 40;

double medianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <class Product>
class Win32Figures : public Win32EditorTest<Product> {
 protected:
  using Clock = std::chrono::steady_clock;
  static double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  void measure(const char* path) {
    std::vector<double> openToPaint, cycle, fullPaint;
    const auto first = Clock::now();
    ASSERT_TRUE(this->open());  // the pictures are decoded once per process, the fonts made once
    const double firstOpen = msSince(first);
    this->close();
    for (int i = 0; i < kRuns; ++i) {
      auto start = Clock::now();
      ASSERT_TRUE(this->open());
      openToPaint.push_back(msSince(start));  // open() delivers the first WM_PAINT
      auto paint = Clock::now();
      this->editor->draw(nullptr);  // the whole frame, painted before it returns
      fullPaint.push_back(msSince(paint));
      auto closing = Clock::now();
      this->close();
      cycle.push_back(openToPaint.back() + msSince(closing));  // without the extra paint
    }
    std::printf(
        "%-8s %-12s open to first paint %6.2f ms (this test's first %6.2f ms), open/close cycle %6.2f ms, "
        "full paint %6.2f ms\n",
        this->layout().product, path, medianOf(openToPaint), firstOpen, medianOf(cycle), medianOf(fullPaint));
  }
};
TYPED_TEST_SUITE(Win32Figures, Products);

TYPED_TEST(Win32Figures, MediansOfOpenPaintAndClose) {
  this->measure("composited");
  probe::setEnvironment("SORVANE_BACK_BUFFER", "1");
  this->measure("back buffer");
  probe::setEnvironment("SORVANE_BACK_BUFFER", nullptr);
}

}  // namespace
}  // namespace sorvane::test
