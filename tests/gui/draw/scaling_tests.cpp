// The editor's sizes in the drawing layer: the edge rule and the pointer's
// way back, the supported sizes, pictures resampled panel pixel by panel
// pixel, the picture set a bitmap takes at each size, and a context that
// draws pictures, lines and text at a size.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"
#include "gui/draw/scaling.h"
#include "platform/resources.h"
#include "tests/gui/draw/backends.h"
#include "tests/gui/draw/png_fixture.h"

namespace sorvane {
namespace {

using Px = std::array<std::uint8_t, 4>;

// A distinct opaque colour for each number below 40.
Px colourOf(int i) {
  return Px{static_cast<std::uint8_t>(20 + 5 * i), static_cast<std::uint8_t>(230 - 5 * i),
            static_cast<std::uint8_t>(i % 2 ? 180 : 60), 255};
}

TEST(Scaling, EveryEdgeRoundsHalfUpAndThePointerFindsThePanelPixelThatDrewIt) {
  for (int percent : kEditorScales) {
    for (int x = -300; x <= 700; ++x) {
      ASSERT_EQ(scaleToWindow(x, percent), static_cast<int>(std::floor(x * percent / 100.0 + 0.5)))
          << x << " at " << percent;
      ASSERT_LT(scaleToWindow(x, percent), scaleToWindow(x + 1, percent)) << "no panel pixel vanishes";
    }
    for (int w = -400; w <= 1200; ++w) {
      const int k = scaleToPanel(w, percent);
      ASSERT_LE(scaleToWindow(k, percent), w) << w << " at " << percent;
      ASSERT_GT(scaleToWindow(k + 1, percent), w) << w << " at " << percent;
    }
  }
  EXPECT_EQ(scaleToWindow(1, 150), 2);
  EXPECT_EQ(scaleToWindow(3, 150), 5);
  EXPECT_EQ(scaleToWindow(-1, 150), -1);
  EXPECT_EQ(scaleToWindow(2, 125), 3);
  EXPECT_EQ(scaleToWindow(571, 175), 999);
  // Window pixel 1 at 150 % is the second of panel pixel 0's two; its centre
  // lies exactly on panel edge 1, and it belongs to the pixel that drew it.
  EXPECT_EQ(scaleToPanel(1, 150), 0);
  EXPECT_EQ(scaleToPanel(2, 150), 1);
  for (int w = -5; w < 5; ++w) EXPECT_EQ(scaleToPanel(w, 100), w);
}

TEST(Scaling, APaintAreaMapsBackToTheSmallestPanelRectangleThatCoversIt) {
  for (int percent : kEditorScales) {
    for (int left = -3; left < 9; ++left) {
      for (int right = left + 1; right < 14; ++right) {
        const platform::DrawRect area{left, 2 * left, right, 2 * right};
        const CRect cover = coveringPanelRect(area, percent);
        const platform::DrawRect back = scaleToWindowArea(cover, percent);
        ASSERT_TRUE(back.left <= area.left && back.top <= area.top && back.right >= area.right &&
                    back.bottom >= area.bottom)
            << left << ".." << right << " at " << percent;
        ASSERT_GT(scaleToWindow(cover.left + 1, percent), area.left) << "no panel pixel more than needed";
        ASSERT_LT(scaleToWindow(cover.right - 1, percent), area.right);
      }
    }
  }
  const CRect same = coveringPanelRect(platform::DrawRect{3, 4, 50, 60}, 100);
  EXPECT_EQ(same, CRect(3, 4, 50, 60));
}

TEST(Scaling, AFactorSnapsToTheNearestSupportedSizeAndANonsenseFactorToNone) {
  EXPECT_EQ(nearestEditorScale(1.0), 100);
  EXPECT_EQ(nearestEditorScale(1.5), 150);
  EXPECT_EQ(nearestEditorScale(1.3), 125);
  EXPECT_EQ(nearestEditorScale(1.12), 100);
  EXPECT_EQ(nearestEditorScale(1.125), 125) << "halfway goes to the larger size";
  EXPECT_EQ(nearestEditorScale(2.24), 200);
  EXPECT_EQ(nearestEditorScale(2.6), 250);
  EXPECT_EQ(nearestEditorScale(0.01), 100);
  EXPECT_EQ(nearestEditorScale(8.0), 300);
  for (double bad : {0.0, -1.0, -0.0, 8.001, 1e300, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()})
    EXPECT_EQ(nearestEditorScale(bad), 0) << bad;
  for (int percent : kEditorScales) EXPECT_TRUE(isEditorScale(percent));
  EXPECT_FALSE(isEditorScale(0));
  EXPECT_FALSE(isEditorScale(120));
}

// A picture whose pixel (x, y) is given, in the native kind.
template <class F>
std::unique_ptr<platform::PixelBuffer> makePicture(int width, int height, F pixel) {
  auto picture = platform::createPixelBuffer(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Px p = pixel(x, y);
      std::copy(p.begin(), p.end(), picture->row(y) + 4 * x);
    }
  return picture;
}

Px pixelOf(const platform::PixelBuffer& picture, int x, int y) {
  const std::uint8_t* p = picture.row(y) + 4 * x;
  return Px{p[0], p[1], p[2], p[3]};
}

TEST(Scaling, ASetIsSpreadOverEachPanelPixelsWindowPixelsAndNothingBleedsIntoTheNext) {
  // Panel 7 × 5; every panel pixel is a 2 × 2 (3 × 3) block of one colour
  // in the set, plus a fine pattern inside the block that averages away.
  for (int factor : {2, 3}) {
    auto set = makePicture(7 * factor, 5 * factor, [factor](int x, int y) {
      const Px c = colourOf(x / factor + 7 * (y / factor));
      return c;
    });
    for (int percent : kEditorScales) {
      if (percent > 100 * factor) continue;
      auto out = resamplePicture(*set, factor, 7, 5, percent);
      ASSERT_TRUE(out);
      ASSERT_EQ(out->width(), scaleToWindow(7, percent));
      ASSERT_EQ(out->height(), scaleToWindow(5, percent));
      for (int y = 0; y < out->height(); ++y)
        for (int x = 0; x < out->width(); ++x)
          ASSERT_EQ(pixelOf(*out, x, y), colourOf(scaleToPanel(x, percent) + 7 * scaleToPanel(y, percent)))
              << x << "," << y << " at " << percent << " from " << factor << "x";
    }
  }
  auto wrong = makePicture(15, 10, [](int, int) { return Px{}; });
  EXPECT_FALSE(resamplePicture(*wrong, 2, 7, 5, 150)) << "a set not exactly twice the panel";
}

TEST(Scaling, EachWindowPixelIsTheExactAreaAverageOfTheSetPixelsUnderIt) {
  // One panel row of two pixels from a 3x set whose columns ramp; at 250 %
  // panel pixel 0 gets 3 window pixels (one set column each) and panel
  // pixel 1 gets 2 (a column and a half each).
  const std::uint8_t ramp[6] = {0, 30, 60, 90, 120, 210};
  auto set = makePicture(6, 3, [&](int x, int) { return Px{ramp[x], ramp[x], ramp[x], 255}; });
  auto out = resamplePicture(*set, 3, 2, 1, 250);
  ASSERT_TRUE(out);
  ASSERT_EQ(out->width(), 5);
  const int expected[5] = {0, 30, 60, (2 * 90 + 120 + 1) / 3, (120 + 2 * 210 + 1) / 3};
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < out->height(); ++y) EXPECT_EQ(pixelOf(*out, x, y)[0], expected[x]) << x;
  // Premultiplied: half-covered red beside clear blends as a half-covered red.
  auto edge = makePicture(2, 2, [](int x, int) { return x == 0 ? Px{0, 0, 128, 128} : Px{0, 0, 0, 0}; });
  auto reduced = resamplePicture(*edge, 2, 1, 1, 100);
  ASSERT_TRUE(reduced);
  EXPECT_EQ(pixelOf(*reduced, 0, 0), (Px{0, 0, 64, 64}));
  // A set at exactly its size is left as drawn.
  auto checker = makePicture(4, 4, [](int x, int y) {
    return (x + y) % 2 ? Px{255, 255, 255, 255} : Px{0, 0, 0, 255};
  });
  auto same = resamplePicture(*checker, 2, 2, 2, 200);
  ASSERT_TRUE(same);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(pixelOf(*same, x, y), pixelOf(*checker, x, y));
}

// Pictures as resources of a table of our own. The bytes stay for the whole
// process, as a library's do: decoded pictures are kept by their address.
struct TestPictures {
  std::vector<std::vector<std::uint8_t>*> files;
  std::vector<std::string*> names;
  std::vector<platform::EmbeddedResource> entries;
  platform::EmbeddedResourceTable table{};

  void add(const char* name, std::vector<std::uint8_t> bytes) {
    files.push_back(new std::vector<std::uint8_t>(std::move(bytes)));
    names.push_back(new std::string(name));
    entries.push_back({"PNG", names.back()->c_str(), files.back()->data(), files.back()->size()});
    table = {entries.data(), entries.size()};
  }
  template <class F>
  void add(const char* name, int width, int height, F pixel) {
    add(name, test::rgbaPng(width, height, pixel));
  }
};

const platform::EmbeddedResourceTable& testPictures() {
  static TestPictures* pictures = [] {
    auto* p = new TestPictures;
    auto solid = [](int i) { return [i](int, int) { return colourOf(i); }; };
    p->add("dial.png", 4, 3, solid(1));
    p->add("DIAL@2X.PNG", 8, 6, solid(2));
    p->add("dial@3x.png", 12, 9, solid(3));
    p->add("plain.png", 4, 3, solid(4));  // no other sets
    // A 1x picture that only its header can be read of.
    std::vector<std::uint8_t> broken = test::rgbaPng(4, 3, solid(5));
    broken.resize(40);
    p->add("broken.png", std::move(broken));
    p->add("broken@2x.png", 8, 6, solid(6));
    p->add("odd.png", 4, 3, solid(7));
    p->add("odd@2x.png", 9, 6, solid(8));  // not twice the 1x: passed over
    p->add("odd@3x.png", 12, 9, solid(9));
    // Five frames of three rows; a frame's rows have its colour in every set.
    for (int factor = 1; factor <= 3; ++factor) {
      const std::string name = factor == 1 ? "strip.png" : "strip@" + std::to_string(factor) + "x.png";
      p->add(name.c_str(), 2 * factor, 15 * factor, [factor](int, int y) { return colourOf(10 + y / (3 * factor)); });
    }
    return p;
  }();
  return pictures->table;
}

struct UsingTestPictures {
  UsingTestPictures() { platform::useEmbeddedResources(&testPictures()); }
  ~UsingTestPictures() { platform::useEmbeddedResources(nullptr); }
};

// What a bitmap draws at (1, 1) of a canvas when drawn at percent whole.
std::array<int, 3> drawnColour(CBitmap& bitmap, int percent) {
  auto canvas = platform::createMemoryPixelBuffer(40, 40);
  CDrawContext context(platform::createSoftwareDevice(*canvas));
  context.setScale(percent);
  bitmap.draw(&context, CRect(0, 0, bitmap.getWidth(), bitmap.getHeight()));
  const std::uint8_t* p = canvas->row(1) + 4;
  return {p[0], p[1], p[2]};
}

// A picture colour as a bitmap draws it (stored premultiplied, c × 255 >> 8).
std::array<int, 3> drawnAs(Px c) { return {(c[2] * 255) >> 8, (c[1] * 255) >> 8, (c[0] * 255) >> 8}; }

TEST(PictureSets, EachSizeDrawsTheSetDrawnForItOrTheNextLargerOneReduced) {
  UsingTestPictures use;
  auto* dial = new CBitmap("Dial.png");
  EXPECT_EQ(drawnColour(*dial, 100), drawnAs(colourOf(1)));
  for (int percent : {125, 150, 175, 200}) EXPECT_EQ(drawnColour(*dial, percent), drawnAs(colourOf(2))) << percent;
  for (int percent : {250, 300}) EXPECT_EQ(drawnColour(*dial, percent), drawnAs(colourOf(3))) << percent;
  for (int percent : kEditorScales) {
    EXPECT_EQ(dial->getWidth(), 4) << "sizes stay in the panel's pixels";
    EXPECT_EQ(dial->getHeight(), 3);
    ASSERT_NE(dial->picture(percent), nullptr);
    EXPECT_EQ(dial->picture(percent)->width(), scaleToWindow(4, percent));
    EXPECT_EQ(dial->picture(percent)->height(), scaleToWindow(3, percent));
  }
  // Every bitmap of the resource shares the picture of a size.
  auto* again = new CBitmap("dial.png");
  EXPECT_EQ(again->picture(150), dial->picture(150));
  EXPECT_EQ(again->picture(200), dial->picture(200));
  again->forget();
  dial->forget();

  auto* plain = new CBitmap("plain.png");
  for (int percent : kEditorScales)
    EXPECT_EQ(drawnColour(*plain, percent), drawnAs(colourOf(4))) << "only a 1x set: it is enlarged, " << percent;
  plain->forget();

  auto* odd = new CBitmap("odd.png");
  EXPECT_EQ(drawnColour(*odd, 200), drawnAs(colourOf(9))) << "a 2x set of the wrong size is passed over";
  odd->forget();
}

TEST(PictureSets, OnlyTheSetInUseIsDecoded) {
  UsingTestPictures use;
  auto* broken = new CBitmap("broken.png");
  ASSERT_TRUE(broken->isLoaded()) << "the size comes from the header";
  EXPECT_EQ(broken->getWidth(), 4);
  EXPECT_EQ(drawnColour(*broken, 200), drawnAs(colourOf(6))) << "the 1x picture is never decoded at 200 %";
  EXPECT_EQ(drawnColour(*broken, 150), drawnAs(colourOf(6)));
  broken->forget();
}

class ScaledDrawing : public ::testing::TestWithParam<test::Backend> {
 protected:
  std::array<int, 3> at(const platform::PixelBuffer& picture, int x, int y) {
    const std::uint8_t* p = picture.row(y) + x * 4;
    return {p[0], p[1], p[2]};
  }
  std::unique_ptr<platform::PixelBuffer> read(CDrawContext& context, int w, int h) {
    auto picture = platform::createMemoryPixelBuffer(w, h);
    EXPECT_TRUE(context.device()->readPixels(*picture));
    return picture;
  }
};

TEST_P(ScaledDrawing, AFrameOfAStripLandsOnItsOwnRowsAtEverySize) {
  UsingTestPictures use;
  auto* strip = new CBitmap("strip.png");
  for (int percent : kEditorScales) {
    for (int frame = 0; frame < 5; ++frame) {
      for (int top = 0; top < 4; ++top) {
        auto device = GetParam().make(12, 24);
        ASSERT_TRUE(device);
        CDrawContext context(std::move(device));
        context.setFillColor(kBlackCColor);
        context.fillRect(CRect(0, 0, 12, 24));
        context.setScale(percent);
        strip->draw(&context, CRect(1, top, 3, top + 3), CPoint(0, 3 * frame));
        auto picture = read(context, 12, 24);
        for (int y = 0; y < 24; ++y) {
          const bool inside = y >= scaleToWindow(top, percent) && y < scaleToWindow(top + 3, percent);
          for (int x = 0; x < 12; ++x) {
            const bool drawn = inside && x >= scaleToWindow(1, percent) && x < scaleToWindow(3, percent);
            ASSERT_EQ(at(*picture, x, y), drawn ? drawnAs(colourOf(10 + frame)) : (std::array<int, 3>{0, 0, 0}))
                << GetParam().name << ": frame " << frame << " at top " << top << ", " << percent << " %, pixel " << x
                << "," << y;
          }
        }
      }
    }
  }
  strip->forget();
}

TEST_P(ScaledDrawing, RectanglesLinesAndClipsMapByTheEdgeRule) {
  auto device = GetParam().make(40, 40);
  ASSERT_TRUE(device);
  CDrawContext context(std::move(device));
  context.setFillColor(kBlackCColor);
  context.fillRect(CRect(0, 0, 40, 40));
  context.setScale(150);
  // Two fills that touch stay touching, with nothing between them.
  context.setFillColor(kWhiteCColor);
  context.fillRect(CRect(1, 1, 3, 2));
  context.setFillColor(kRedCColor);
  context.fillRect(CRect(3, 1, 5, 2));
  // A line one panel pixel wide at row 10 covers that row's window pixels.
  context.setFrameColor(kWhiteCColor);
  context.moveTo(CPoint(0, 10));
  context.lineTo(CPoint(20, 10));
  // A clip in the panel's pixels.
  context.setClipRect(CRect(0, 20, 3, 26));
  context.setFillColor(kWhiteCColor);
  context.fillRect(CRect(0, 20, 20, 26));
  auto picture = read(context, 40, 40);
  const std::array<int, 3> white{255, 255, 255}, red{0, 0, 255}, black{0, 0, 0};
  EXPECT_EQ(at(*picture, 1, 2), black);
  EXPECT_EQ(at(*picture, 2, 2), white);
  EXPECT_EQ(at(*picture, 4, 2), white) << "panel 1..3 is window 2..5";
  EXPECT_EQ(at(*picture, 5, 2), red) << "and panel 3 starts at window 5";
  EXPECT_EQ(at(*picture, 7, 2), red);
  EXPECT_EQ(at(*picture, 8, 2), black);
  if (GetParam().name == "software") {  // GDI places its wide pens its own way
    EXPECT_EQ(at(*picture, 5, 14), black);
    EXPECT_EQ(at(*picture, 5, 15), white) << "row 10 is window rows 15 and 16";
    EXPECT_EQ(at(*picture, 5, 16), white);
    EXPECT_EQ(at(*picture, 5, 17), black);
  }
  EXPECT_EQ(at(*picture, 4, 35), white);
  EXPECT_EQ(at(*picture, 5, 35), black) << "the clip ends at panel 3, window 5";

  // A context kept to a paint area draws nothing outside it.
  context.limitToDevice(platform::DrawRect{0, 0, 10, 10});
  context.setClipRect(CRect(0, 0, 20, 20));
  context.setFillColor(kRedCColor);
  context.fillRect(CRect(0, 0, 20, 20));
  picture = read(context, 40, 40);
  EXPECT_EQ(at(*picture, 9, 9), red);
  EXPECT_EQ(at(*picture, 10, 9), black) << "the panel rectangle reaches further than the area";
}

TEST_P(ScaledDrawing, TextIsDrawnInAFontOfTheMappedSize) {
  // The height of the ink of "H" in a 12-pixel font at percent.
  auto inkHeight = [&](int percent) {
    auto device = GetParam().make(120, 80);
    CDrawContext context(std::move(device));
    context.setFillColor(kBlackCColor);
    context.fillRect(CRect(0, 0, 120, 80));
    context.setScale(percent);
    context.setFont(kNormalFont);
    context.setFontColor(kWhiteCColor);
    context.drawString("HHH", CRect(0, 0, 40, 26));
    auto picture = read(context, 120, 80);
    int top = -1, bottom = -1;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 120; ++x)
        if (at(*picture, x, y)[0] > 128) {
          if (top < 0) top = y;
          bottom = y;
        }
    return top < 0 ? 0 : bottom - top + 1;
  };
  const int small = inkHeight(100);
  if (small == 0) GTEST_SKIP() << GetParam().name << " draws no text here (no font)";
  EXPECT_NEAR(inkHeight(200), 2 * small, 2);
  EXPECT_NEAR(inkHeight(300), 3 * small, 3);
  // The 12-pixel font at 200 % is the 24-pixel font, not a stretched 12.
  auto direct = [&] {
    auto device = GetParam().make(120, 80);
    CDrawContext context(std::move(device));
    context.setFillColor(kBlackCColor);
    context.fillRect(CRect(0, 0, 120, 80));
    CFontDesc big("Arial", 24);
    context.setFont(&big);
    context.setFontColor(kWhiteCColor);
    context.drawString("HHH", CRect(0, 0, 80, 52));
    context.setFont(nullptr);
    return read(context, 120, 80);
  }();
  auto scaled = [&] {
    auto device = GetParam().make(120, 80);
    CDrawContext context(std::move(device));
    context.setFillColor(kBlackCColor);
    context.fillRect(CRect(0, 0, 120, 80));
    context.setScale(200);
    context.setFont(kNormalFont);
    context.setFontColor(kWhiteCColor);
    context.drawString("HHH", CRect(0, 0, 40, 26));
    return read(context, 120, 80);
  }();
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_EQ(at(*scaled, x, y), at(*direct, x, y)) << x << "," << y;
}

std::string backendName(const ::testing::TestParamInfo<test::Backend>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Backends, ScaledDrawing, ::testing::ValuesIn(test::allBackends()), backendName);

}  // namespace
}  // namespace sorvane
