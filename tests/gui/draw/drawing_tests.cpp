// The same drawing checks against every back end: draw into an off-screen
// device, read the pixels back, compare.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"
#include "platform/software/draw_text.h"
#include "tests/gui/draw/backends.h"
#include "tests/gui/draw/png_fixture.h"

namespace sorvane {
namespace {

using Px = std::array<std::uint8_t, 4>;

class Drawing : public ::testing::TestWithParam<test::Backend> {
 protected:
  // A context on a fresh device of the back end, painted opaque grey.
  std::unique_ptr<CDrawContext> makeContext(int w, int h, CColor paint = MakeCColor(40, 40, 40)) {
    auto device = GetParam().make(w, h);
    EXPECT_TRUE(device) << GetParam().name;
    auto context = std::make_unique<CDrawContext>(std::move(device));
    context->setFillColor(paint);
    context->fillRect(CRect(0, 0, w, h));
    width_ = w;
    height_ = h;
    return context;
  }
  // Blue, green, red of pixel (x, y); alpha is left out because a screen
  // device has none.
  std::array<int, 3> at(CDrawContext& context, int x, int y) {
    auto picture = platform::createMemoryPixelBuffer(width_, height_);
    EXPECT_TRUE(context.device()->readPixels(*picture));
    const std::uint8_t* p = picture->row(y) + x * 4;
    return {p[0], p[1], p[2]};
  }
  static void expectNear(std::array<int, 3> got, std::array<int, 3> want, int tolerance, const char* what) {
    for (int i = 0; i < 3; ++i)
      EXPECT_LE(std::abs(got[i] - want[i]), tolerance)
          << what << ": channel " << i << " is " << got[i] << ", expected " << want[i];
  }
  int width_ = 0, height_ = 0;
};

TEST_P(Drawing, FillCoversTheHalfOpenRectangleOnly) {
  auto c = makeContext(10, 10);
  c->setFillColor(MakeCColor(200, 10, 20));
  c->fillRect(CRect(2, 3, 6, 8));
  EXPECT_EQ(at(*c, 2, 3), (std::array<int, 3>{20, 10, 200}));
  EXPECT_EQ(at(*c, 5, 7), (std::array<int, 3>{20, 10, 200}));
  EXPECT_EQ(at(*c, 6, 7), (std::array<int, 3>{40, 40, 40})) << "right edge is outside";
  EXPECT_EQ(at(*c, 5, 8), (std::array<int, 3>{40, 40, 40})) << "bottom edge is outside";
}

TEST_P(Drawing, ClipAndOffsetApplyToEveryOperation) {
  auto c = makeContext(12, 12);
  c->offset = CPoint(2, 1);
  c->setClipRect(CRect(0, 0, 5, 5));  // device 2..6 × 1..5
  c->setFillColor(MakeCColor(0, 255, 0));
  c->fillRect(CRect(-10, -10, 50, 50));
  EXPECT_EQ(at(*c, 2, 1), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(at(*c, 6, 5), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(at(*c, 7, 5), (std::array<int, 3>{40, 40, 40}));
  EXPECT_EQ(at(*c, 6, 6), (std::array<int, 3>{40, 40, 40}));
  EXPECT_EQ(at(*c, 1, 1), (std::array<int, 3>{40, 40, 40}));
}

TEST_P(Drawing, RectangleOutlineAndLinesUseTheFrameColour) {
  auto c = makeContext(12, 12);
  c->setFrameColor(MakeCColor(255, 255, 255));
  c->drawRect(CRect(1, 1, 9, 7));
  EXPECT_EQ(at(*c, 1, 1), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(at(*c, 8, 6), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(at(*c, 4, 4), (std::array<int, 3>{40, 40, 40})) << "the inside stays";
  EXPECT_EQ(at(*c, 9, 7), (std::array<int, 3>{40, 40, 40}));

  c->setFrameColor(MakeCColor(255, 0, 0));
  c->moveTo(CPoint(1, 10));
  c->lineTo(CPoint(8, 10));
  EXPECT_EQ(at(*c, 1, 10), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(at(*c, 7, 10), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(at(*c, 8, 10), (std::array<int, 3>{40, 40, 40})) << "the end point is left out";
  EXPECT_EQ(c->getPenPosition(), CPoint(8, 10));
}

TEST_P(Drawing, AlphaPicturesAreComposedSourceOver) {
  // One pixel 200,100,50 at alpha 128, one transparent, one opaque.
  auto png = test::rgbaPng(3, 1, [](int x, int) {
    if (x == 0) return Px{200, 100, 50, 128};
    if (x == 1) return Px{255, 255, 255, 0};
    return Px{0, 0, 255, 255};
  });
  auto* bitmap = new CBitmap(std::span<const std::uint8_t>(png));
  auto c = makeContext(4, 2, MakeCColor(0, 0, 200));
  bitmap->draw(c.get(), CRect(0, 0, 3, 1));
  // premultiplied source + destination × (255 - 128) / 255
  expectNear(at(*c, 0, 0), {25 + 200 * 127 / 255, 50, 100}, 2, "half-transparent pixel");
  expectNear(at(*c, 1, 0), {200, 0, 0}, 0, "transparent pixel leaves the destination");
  expectNear(at(*c, 2, 0), {254, 0, 0}, 1, "opaque pixel replaces it");

  bitmap->drawAlphaBlend(c.get(), CRect(0, 1, 3, 2), CPoint(), 128);
  // The opaque pixel at constant alpha 128 is half over the blue.
  expectNear(at(*c, 2, 1), {(254 * 128 + 200 * 127) / 255, 0, 0}, 2, "constant alpha");
  bitmap->forget();
}

TEST_P(Drawing, AFrameOfAStripCopiesExactlyItsRows) {
  // 101 frames of 53 rows; each row carries its own number.
  auto png = test::rgbaPng(53, 5353, [](int x, int y) {
    return Px{static_cast<std::uint8_t>(y & 0xff), static_cast<std::uint8_t>(y >> 8), static_cast<std::uint8_t>(x),
              255};
  });
  auto* strip = new CBitmap(std::span<const std::uint8_t>(png));
  ASSERT_EQ(strip->getHeight(), 5353);
  auto c = makeContext(53, 55);
  strip->draw(c.get(), CRect(0, 1, 53, 54), CPoint(0, 5300));
  for (int row = 0; row < 53; ++row) {
    int y = 5300 + row;
    auto got = at(*c, 7, row + 1);
    ASSERT_EQ(got[2], (y & 0xff) * 255 >> 8) << "row " << row;
    ASSERT_EQ(got[1], (y >> 8) * 255 >> 8) << "row " << row;
  }
  EXPECT_EQ(at(*c, 7, 0), (std::array<int, 3>{40, 40, 40}));
  EXPECT_EQ(at(*c, 7, 54), (std::array<int, 3>{40, 40, 40})) << "nothing beyond the strip's end";
  strip->forget();
}

TEST_P(Drawing, KeyedCopyLeavesOutTheTransparentColour) {
  // A picture without alpha, as a plain bitmap resource would be.
  auto pixels = platform::createPixelBuffer(2, 1);
  ASSERT_TRUE(pixels);
  const std::uint8_t bytes[] = {255, 0, 255, 255, 0, 128, 0, 255};
  for (int i = 0; i < 8; ++i) pixels->row(0)[i] = bytes[i];
  auto c = makeContext(3, 1);
  c->device()->copyPixelsKeyed(*pixels, platform::DrawRect{0, 0, 2, 1}, 0, 0, platform::DrawColor{255, 0, 255, 255});
  EXPECT_EQ(at(*c, 0, 0), (std::array<int, 3>{40, 40, 40}));
  EXPECT_EQ(at(*c, 1, 0), (std::array<int, 3>{0, 128, 0}));
}

TEST_P(Drawing, TextStaysInItsRectangleAndFollowsTheAlignment) {
  auto inkCentre = [&](CHoriTxtAlign align, CRect clip, int* outside) {
    auto c = makeContext(120, 30, kBlackCColor);
    c->setClipRect(clip);
    c->setFont(kNormalFont);
    c->setFontColor(kWhiteCColor);
    c->drawString("Tessaro", CRect(10, 5, 110, 25), align);
    long sum = 0, count = 0;
    *outside = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 120; ++x) {
        auto p = at(*c, x, y);
        if (p[0] + p[1] + p[2] < 200) continue;
        if (x < 10 || x >= 110 || y < 5 || y >= 25 || !clip.pointInside(CPoint(x, y))) ++*outside;
        sum += x;
        ++count;
      }
    return count ? static_cast<int>(sum / count) : -1;
  };
  int outside = 0;
  int left = inkCentre(kLeftText, CRect(0, 0, 120, 30), &outside);
  if (left < 0) GTEST_SKIP() << GetParam().name << " draws no text here (no font)";
  EXPECT_EQ(outside, 0);
  int centre = inkCentre(kCenterText, CRect(0, 0, 120, 30), &outside);
  int right = inkCentre(kRightText, CRect(0, 0, 120, 30), &outside);
  EXPECT_LT(left, 45);
  EXPECT_NEAR(centre, 60, 6);
  EXPECT_GT(right, 75);
  inkCentre(kCenterText, CRect(0, 0, 60, 30), &outside);
  EXPECT_EQ(outside, 0) << "the clip cuts the text";
}

// Texts are UTF-8: "°" is one glyph that sits high, where its two bytes
// read one by one would put a capital with its foot on the baseline before it.
TEST_P(Drawing, TextIsReadAsUtf8) {
  struct Ink {
    int count = 0, left = 1000, right = -1, bottom = -1;
    bool operator==(const Ink&) const = default;
  };
  auto inkOf = [&](const char* text) {
    auto c = makeContext(120, 40, kBlackCColor);
    CFontDesc font("Arial", 24);
    c->setFont(&font);
    c->setFontColor(kWhiteCColor);
    c->drawString(text, CRect(10, 0, 110, 40), kLeftText);
    c->setFont(nullptr);
    auto picture = platform::createMemoryPixelBuffer(120, 40);
    EXPECT_TRUE(c->device()->readPixels(*picture));
    Ink ink;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 120; ++x) {
        const std::uint8_t* p = picture->row(y) + x * 4;
        if (p[0] + p[1] + p[2] < 200) continue;
        ++ink.count;
        ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x), ink.bottom = std::max(ink.bottom, y);
      }
    return ink;
  };
  const Ink zero = inkOf("0");
  if (zero.count == 0) GTEST_SKIP() << GetParam().name << " draws no text here (no font)";
  const Ink degree = inkOf("\xC2\xB0");
  ASSERT_GT(degree.count, 0);
  EXPECT_LT(degree.bottom, zero.bottom - 6) << "the degree sign stands above the baseline, alone";
  EXPECT_LT(degree.right - degree.left, zero.right - zero.left + 2) << "one narrow glyph";
  // On Windows a name from the system's A calls, in its code page (here a
  // Western one, as the tests' Wine), is no UTF-8 and is read as it was written.
  if (GetParam().name == "gdi") {
    EXPECT_EQ(inkOf("Caf\xE9"), inkOf("Caf\xC3\xA9"));
  }
  // Bytes that are no UTF-8 draw something or nothing, but stay in the line's rectangle.
  for (const char* broken : {"A\xFF\x80\x80"
                             "B",
                             "A\xC2",
                             "\xE2\x82"
                             "B",
                             "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    const Ink ink = inkOf(broken);
    EXPECT_GE(ink.left, 10) << GetParam().name;
    EXPECT_LT(ink.right, 110) << GetParam().name;
  }
}

// The software back end measures what it draws: one advance per character.
TEST(SoftwareText, MeasuresUtf8AsItDrawsIt) {
  auto font = platform::software::makeSoftwareFont(platform::FontRequest{"Arial", 20, 0});
  if (!font) GTEST_SKIP() << "this build's software back end draws no text";
  const char* const replacement = "\xEF\xBF\xBD";
  const int degree = font->measure("\xC2\xB0");
  EXPECT_GT(degree, 0);
  EXPECT_LT(degree, font->measure("A")) << "\"\xC2\xB0\" measured as two characters";
  EXPECT_NEAR(font->measure("0\xC2\xB0"), font->measure("0") + degree, 1);
  // Each broken sequence is one replacement character, and what follows it is read afresh.
  const int r = font->measure(replacement);
  EXPECT_NEAR(font->measure("A\xFF\x80\x80"
                            "B"),
              font->measure("AB") + r, 1)
      << "a stray run";
  EXPECT_NEAR(font->measure("A\xC2"), font->measure("A") + r, 1) << "cut off by the end";
  EXPECT_NEAR(font->measure("\xE2\x82"
                            "B"),
              font->measure("B") + r, 1)
      << "cut short";
  EXPECT_EQ(font->measure("\xC0\xAF"), r) << "an overlong form";
  EXPECT_EQ(font->measure("\xED\xA0\x80"), r) << "a surrogate";
  EXPECT_EQ(font->measure("\xF4\x90\x80\x80"), r) << "past U+10FFFF";
  // The glyphs drawn lie within the measured advance.
  int right = -1;
  font->render("0\xC2\xB0", 0, 20, [&](int x, int, std::uint8_t coverage) {
    if (coverage > 64) right = std::max(right, x);
  });
  EXPECT_GT(right, 0);
  EXPECT_LE(right, font->measure("0\xC2\xB0"));
}

TEST_P(Drawing, OffscreenBufferStartsInItsColourAndCopiesOut) {
  COffscreenContext offscreen(nullptr, 8, 8, MakeCColor(10, 20, 30));
  offscreen.setFillColor(MakeCColor(250, 0, 0));
  offscreen.fillRect(CRect(2, 2, 4, 4));
  auto c = makeContext(10, 10);
  offscreen.copyTo(c.get(), CRect(1, 1, 5, 5), CPoint(5, 5));
  EXPECT_EQ(at(*c, 5, 5), (std::array<int, 3>{30, 20, 10}));
  EXPECT_EQ(at(*c, 6, 6), (std::array<int, 3>{0, 0, 250}));
  EXPECT_EQ(at(*c, 8, 8), (std::array<int, 3>{30, 20, 10}));
  EXPECT_EQ(at(*c, 9, 9), (std::array<int, 3>{40, 40, 40}));
  EXPECT_EQ(at(*c, 4, 4), (std::array<int, 3>{40, 40, 40}));
}

std::string backendName(const ::testing::TestParamInfo<test::Backend>& backend) { return backend.param.name; }

INSTANTIATE_TEST_SUITE_P(Backends, Drawing, ::testing::ValuesIn(test::allBackends()), backendName);

}  // namespace
}  // namespace sorvane
