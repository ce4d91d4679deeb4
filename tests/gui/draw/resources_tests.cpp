// Pictures found by name in the embedded resources, and the inventory of
// pictures each product's editor needs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"
#include "platform/resources.h"

namespace tessaro {
const sorvane::platform::EmbeddedResourceTable& embeddedResources();
}
namespace pallido {
const sorvane::platform::EmbeddedResourceTable& embeddedResources();
}

namespace sorvane {
namespace {

struct UsingTable {
  explicit UsingTable(const platform::EmbeddedResourceTable& table) { platform::useEmbeddedResources(&table); }
  ~UsingTable() { platform::useEmbeddedResources(nullptr); }
};

bool samePixels(const platform::PixelBuffer& a, const platform::PixelBuffer& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.row(y), b.row(y), static_cast<std::size_t>(a.width()) * 4) != 0) return false;
  return true;
}

TEST(Resources, NamesCompareWithoutRegardToCase) {
  UsingTable use(tessaro::embeddedResources());
  auto upper = platform::findResource("PNG", "BACKGROUND.PNG");
  auto lower = platform::findResource("png", "background.png");
  ASSERT_FALSE(upper.empty());
  EXPECT_EQ(upper.data(), lower.data());
  EXPECT_TRUE(platform::findResource("PNG", "background.pn").empty());
  EXPECT_TRUE(platform::findResource("PNG", "background.png.").empty());
  EXPECT_TRUE(platform::findResource("BMP", "background.png").empty());

  auto* a = new CBitmap("Background.PNG");
  auto* b = new CBitmap("background.png");
  ASSERT_TRUE(a->isLoaded() && b->isLoaded());
  EXPECT_TRUE(a->hasAlpha());
  EXPECT_TRUE(samePixels(*a->pixels(), *b->pixels()));
  a->forget();
  b->forget();
}

TEST(Resources, TheLibrarysOwnResourcesComeFirstAndIgnoreCase) {
  if (std::string(platform::nativeBackendName()) != "gdi") GTEST_SKIP() << "only Windows libraries carry resources";
  UsingTable use(tessaro::embeddedResources());
  auto native = platform::findResource("PNG", "gui_test_q.png");
  auto table = platform::findResource("PNG", "q.png");
  ASSERT_FALSE(native.empty());
  ASSERT_EQ(native.size(), table.size());
  EXPECT_NE(native.data(), table.data()) << "the resource section, not the table";
  EXPECT_EQ(std::memcmp(native.data(), table.data(), native.size()), 0);
  EXPECT_EQ(platform::findResource("png", "Gui_Test_Q.Png").data(), native.data());
}

TEST(Resources, AMissingPictureIsEmptyAndDrawsNothing) {
  UsingTable use(tessaro::embeddedResources());
  auto* missing = new CBitmap("nothere.png");
  EXPECT_EQ(missing->getWidth(), 0);
  EXPECT_EQ(missing->getHeight(), 0);
  EXPECT_FALSE(missing->isLoaded());
  auto canvas = platform::createMemoryPixelBuffer(4, 4);
  CDrawContext context(platform::createSoftwareDevice(*canvas));
  missing->draw(&context, CRect(0, 0, 4, 4));
  missing->drawTransparent(&context, CRect(0, 0, 4, 4));
  missing->drawAlphaBlend(&context, CRect(0, 0, 4, 4), CPoint(), 255);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(canvas->row(y)[x], 0);
  missing->forget();
}

TEST(Resources, TheProductsHaveTheirOwnPictures) {
  std::vector<std::uint8_t> tessaroBackground, pallidoBackground;
  int tessaroWidth = 0, pallidoWidth = 0;
  {
    UsingTable use(tessaro::embeddedResources());
    CBitmap background("background.png");
    tessaroWidth = background.getWidth();
  }
  {
    UsingTable use(pallido::embeddedResources());
    CBitmap background("background.png");
    pallidoWidth = background.getWidth();
  }
  EXPECT_EQ(tessaroWidth, 571);
  EXPECT_EQ(pallidoWidth, 671);
}

// What the editor layout asks of each picture: its size and, for strips and
// switches, the frame height that divides it.
struct Needed {
  const char* name;
  int width;
  int height;
  int frameHeight;  // 0: a single picture
  int frames;       // frames of frameHeight the controls use
};

const std::vector<Needed> tessaroNeeds{
    {"background.png", 571, 267, 0, 1},  {"q.png", 30, 34, 17, 2},
    {"phase.png", 30, 70, 35, 2},        {"red.png", 53, 318, 53, 6},
    {"redl.png", 53, 265, 53, 5},        {"blue.png", 53, 371, 53, 7},
    {"black.png", 53, 265, 53, 5},       {"black2.png", 53, 212, 53, 4},
    {"output.png", 53, 5353, 53, 101},   {"gain.png", 53, 5353, 53, 101},
    {"gainblue.png", 53, 5353, 53, 101}, {"fileon.png", 59, 22, 0, 1},
    {"fileoff.png", 59, 22, 0, 1},       {"arrowdec.png", 20, 42, 21, 2},
    {"arrowinc.png", 21, 42, 21, 2},     {"onoff.png", 21, 42, 21, 2},
    {"abswitch.png", 66, 43, 21, 2},     {"ab.png", 67, 44, 22, 2},
    {"ba.png", 67, 44, 22, 2},           {"about.png", 396, 225, 0, 1},
};

const std::vector<Needed> pallidoNeeds{
    {"background.png", 671, 267, 0, 1}, {"q.png", 30, 34, 17, 2},        {"phase.png", 30, 70, 35, 2},
    {"red.png", 53, 318, 53, 6},        {"blue.png", 53, 583, 53, 11},   {"black.png", 53, 318, 53, 6},
    {"output.png", 53, 5353, 53, 101},  {"gain.png", 53, 5353, 53, 101}, {"gainblue.png", 53, 5353, 53, 101},
    {"fileon.png", 59, 22, 0, 1},       {"fileoff.png", 59, 22, 0, 1},   {"arrowdec.png", 21, 42, 21, 2},
    {"arrowinc.png", 20, 42, 21, 2},    {"onoff.png", 21, 42, 21, 2},    {"abswitch.png", 66, 43, 21, 2},
    {"ab.png", 67, 44, 22, 2},          {"ba.png", 67, 44, 22, 2},       {"about.png", 396, 225, 0, 1},
};

void checkInventory(const char* product, const platform::EmbeddedResourceTable& table,
                    const std::vector<Needed>& needs) {
  UsingTable use(table);
  EXPECT_EQ(table.count, needs.size()) << product << " carries exactly the pictures its editor uses";
  for (const auto& need : needs) {
    CBitmap bitmap(need.name);
    SCOPED_TRACE(std::string(product) + " " + need.name);
    ASSERT_TRUE(bitmap.isLoaded());
    EXPECT_TRUE(bitmap.hasAlpha());
    EXPECT_EQ(bitmap.getWidth(), need.width);
    EXPECT_EQ(bitmap.getHeight(), need.height);
    if (need.frameHeight > 0) {
      EXPECT_EQ(bitmap.getHeight() / need.frameHeight, need.frames);
    }
    // Every frame shows something: no blank frame in a strip.
    int frameHeight = need.frameHeight > 0 ? need.frameHeight : need.height;
    for (int f = 0; f < need.frames; ++f) {
      bool ink = false;
      for (int y = f * frameHeight; y < (f + 1) * frameHeight && !ink; ++y)
        for (int x = 0; x < need.width && !ink; ++x) ink = bitmap.pixels()->row(y)[x * 4 + 3] != 0;
      EXPECT_TRUE(ink) << "frame " << f << " is empty";
    }
  }
}

TEST(Resources, TessaroHasEveryPictureItsLayoutNeeds) {
  checkInventory("tessaro", tessaro::embeddedResources(), tessaroNeeds);
}

TEST(Resources, PallidoHasEveryPictureItsLayoutNeeds) {
  checkInventory("pallido", pallido::embeddedResources(), pallidoNeeds);
}

TEST(Resources, KnobFramesFollowTheScaleAcrossTheStrip) {
  // Successive frames of a knob strip differ (the pointer moves), and the
  // first and last frames are mirror images about the vertical axis.
  UsingTable use(tessaro::embeddedResources());
  CBitmap strip("gain.png");
  ASSERT_TRUE(strip.isLoaded());
  auto frameDiffers = [&](int a, int b) {
    for (int y = 0; y < 53; ++y)
      if (std::memcmp(strip.pixels()->row(a * 53 + y), strip.pixels()->row(b * 53 + y), 53 * 4) != 0) return true;
    return false;
  };
  for (int f = 1; f < 101; ++f) ASSERT_TRUE(frameDiffers(f - 1, f)) << "frames " << f - 1 << " and " << f;
}

// The click zones of the stepped knobs, one per position (the editor's
// tables); each must show its printed label on the background.
const std::vector<std::vector<CRect>> tessaroZones{
    {{30, 216, 50, 232}, {17, 180, 33, 196}, {27, 147, 80, 163}, {79, 147, 95, 163}, {95, 179, 115, 195}},
    {{482, 216, 498, 232},
     {466, 180, 482, 196},
     {479, 147, 495, 163},
     {531, 147, 547, 163},
     {547, 179, 563, 195},
     {531, 216, 547, 232}},
    {{137, 126, 157, 142}, {124, 85, 140, 101}, {163, 58, 179, 74}, {203, 84, 223, 100}, {186, 126, 206, 142}},
    {{371, 126, 391, 142}, {371, 63, 391, 79}, {430, 63, 450, 79}, {434, 125, 454, 141}},
    {{257, 126, 277, 142},
     {237, 100, 257, 116},
     {250, 72, 270, 88},
     {281, 60, 301, 76},
     {315, 73, 335, 89},
     {317, 101, 337, 117},
     {304, 126, 324, 142}},
};

const std::vector<std::vector<CRect>> pallidoZones{
    {{34, 211, 54, 227},
     {18, 176, 44, 192},
     {30, 144, 46, 160},
     {82, 144, 98, 160},
     {99, 176, 119, 192},
     {79, 211, 99, 227}},
    {{575, 210, 595, 226},
     {564, 177, 584, 193},
     {574, 146, 594, 162},
     {630, 146, 650, 162},
     {644, 177, 664, 193},
     {628, 210, 648, 226}},
    {{139, 127, 159, 143},
     {126, 93, 142, 109},
     {139, 62, 155, 78},
     {192, 62, 212, 78},
     {206, 93, 226, 109},
     {189, 127, 209, 143}},
    {{260, 126, 280, 142},
     {245, 110, 265, 126},
     {243, 94, 263, 110},
     {245, 75, 265, 91},
     {259, 59, 279, 75},
     {284, 52, 304, 68},
     {313, 57, 333, 73},
     {324, 74, 344, 90},
     {328, 92, 348, 108},
     {328, 110, 348, 126},
     {313, 126, 342, 142}},
    {{366, 126, 386, 142},
     {354, 109, 374, 125},
     {350, 92, 370, 108},
     {353, 74, 373, 90},
     {366, 58, 386, 74},
     {389, 54, 409, 70},
     {415, 57, 435, 73},
     {427, 74, 447, 90},
     {431, 92, 451, 108},
     {426, 109, 446, 125},
     {414, 126, 434, 142}},
    {{474, 121, 494, 137},
     {464, 92, 484, 108},
     {479, 61, 499, 77},
     {530, 61, 550, 77},
     {545, 91, 565, 107},
     {531, 121, 551, 137}},
};

void checkLabelsInZones(const char* product, const platform::EmbeddedResourceTable& table,
                        const std::vector<std::vector<CRect>>& knobs) {
  UsingTable use(table);
  CBitmap background("background.png");
  ASSERT_TRUE(background.isLoaded());
  for (std::size_t k = 0; k < knobs.size(); ++k) {
    for (std::size_t z = 0; z < knobs[k].size(); ++z) {
      // Zone edges are inclusive; legend ink is bright on the dark face.
      const CRect& zone = knobs[k][z];
      int ink = 0;
      for (int y = zone.top; y <= zone.bottom; ++y)
        for (int x = zone.left; x <= zone.right; ++x) {
          const std::uint8_t* p = background.pixels()->row(y) + x * 4;
          if (p[0] + p[1] + p[2] > 3 * 110) ++ink;
        }
      EXPECT_GE(ink, 8) << product << " knob " << k << " position " << z << " has no label in its zone";
    }
  }
}

TEST(Resources, EveryStepOfTheFrequencyKnobsIsLabelledInsideItsClickZone) {
  checkLabelsInZones("tessaro", tessaro::embeddedResources(), tessaroZones);
  checkLabelsInZones("pallido", pallido::embeddedResources(), pallidoZones);
}

}  // namespace
}  // namespace sorvane
