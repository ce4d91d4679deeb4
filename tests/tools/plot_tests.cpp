#include <gtest/gtest.h>

#include "tools/sorvane-host/bitmap_font.h"
#include "tools/sorvane-host/raster.h"
#include "tools/sorvane-host/response_plot.h"

namespace sorvane::host {
namespace {

ResponseCurve flatCurve(double low, double high) {
  ResponseCurve curve;
  curve.label.assign(1, 'c');
  curve.frequencies = {kPlotLowHz, 1000.0, kPlotHighHz, 30000.0};
  curve.magnitudeDb = {low, 0.0, high, -300.0};  // the last lies outside the plot
  curve.phaseDegrees = {0.0, 0.0, 0.0, 0.0};
  return curve;
}

TEST(PlotScale, HoldsEveryCurveInWholeStepsAndClipsDeepSlopesAtMinusSixty) {
  const DbRange small = chooseDbRange({flatCurve(-3.0, 4.0)});
  EXPECT_EQ(small.top, 12.0);
  EXPECT_EQ(small.bottom, -12.0);
  EXPECT_EQ(small.step, 6.0);
  const DbRange boost = chooseDbRange({flatCurve(-3.0, 15.5)});
  EXPECT_EQ(boost.top, 18.0);
  const DbRange deep = chooseDbRange({flatCurve(-140.0, 6.0), flatCurve(-20.0, 2.0)});
  EXPECT_EQ(deep.step, 12.0);
  EXPECT_EQ(deep.bottom, -72.0);
  EXPECT_EQ(deep.top, 12.0);
}

TEST(Raster, DrawsTextAndLinesOnlyWhereAskedAndWithinTheClip) {
  Raster raster(40, 20, {255, 255, 255});
  raster.text(1, 1, "1", 1, {0, 0, 0});
  // The digit 1's stem is its middle column.
  EXPECT_EQ(raster.pixel(1 + 2, 1 + 3).r, 0);
  EXPECT_EQ(raster.pixel(1 + 0, 1 + 3).r, 255);
  EXPECT_EQ(Raster::textWidth("abc", 2), 3 * 12 - 2);
  EXPECT_EQ(Raster::textHeight(1), kGlyphHeight);
  EXPECT_TRUE(glyphPixel('g', 4, 7));  // descender below the baseline
  EXPECT_FALSE(glyphPixel('\n', 0, 0));

  raster.setClip(20, 0, 30, 20);
  raster.line(10.0, 10.5, 39.0, 10.5, 1.0, {255, 0, 0});
  EXPECT_EQ(raster.pixel(25, 10).g, 0);    // inside the clip: red
  EXPECT_EQ(raster.pixel(15, 10).g, 255);  // outside: untouched
  EXPECT_EQ(raster.pixel(35, 10).g, 255);
  EXPECT_EQ(raster.pixel(25, 13).g, 255);  // off the line
}

TEST(ResponsePlot, DrawsCurvesInTheirLegendColours) {
  ResponseCurve curve = flatCurve(0.0, 0.0);
  curve.magnitudeDb = {0.0, 0.0, 0.0, 0.0};
  const Raster raster = drawResponsePlot({curve}, "title");
  EXPECT_GT(raster.width(), 1000);
  // Somewhere on the 0 dB line the first palette colour must show.
  int coloured = 0;
  for (int y = 0; y < raster.height(); ++y) {
    for (int x = 0; x < raster.width(); ++x) {
      const Rgb p = raster.pixel(x, y);
      if (p.r == 31 && p.g == 119 && p.b == 180) ++coloured;
    }
  }
  EXPECT_GT(coloured, 800);  // the curve across the panel plus the legend swatch
}

}  // namespace
}  // namespace sorvane::host
