// Pictures found by name in the embedded resources, and the inventory of
// pictures each product's editor needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"
#include "gui/draw/png_decode.h"
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
  // The second name is written as the product libraries' resource scripts
  // write the larger sets' names, "@" and all.
  for (const auto& [nativeName, tableName] :
       {std::pair{"gui_test_q.png", "q.png"}, {"gui_test_q@2x.png", "q@2x.png"}}) {
    SCOPED_TRACE(nativeName);
    auto native = platform::findResource("PNG", nativeName);
    auto table = platform::findResource("PNG", tableName);
    ASSERT_FALSE(native.empty());
    ASSERT_EQ(native.size(), table.size());
    EXPECT_NE(native.data(), table.data()) << "the resource section, not the table";
    EXPECT_EQ(std::memcmp(native.data(), table.data(), native.size()), 0);
  }
  EXPECT_EQ(platform::findResource("png", "Gui_Test_Q.Png").data(),
            platform::findResource("PNG", "GUI_TEST_Q.PNG").data());
  EXPECT_EQ(platform::findResource("png", "Gui_Test_Q@2X.Png").data(),
            platform::findResource("PNG", "GUI_TEST_Q@2x.png").data());
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
  EXPECT_EQ(table.count, 3 * needs.size()) << product << " carries exactly the pictures its editor uses, in three sets";
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

// The 2x and 3x sets: "gain@2x.png" beside "gain.png", drawn again from the
// generator's vectors at that size.

std::string scaledName(const std::string& name, int scale) {
  return name.substr(0, name.size() - 4) + "@" + std::to_string(scale) + "x.png";
}

std::unique_ptr<platform::PixelBuffer> decodeResource(const std::string& name) {
  auto bytes = platform::findResource("PNG", name.c_str());
  if (bytes.empty()) return nullptr;
  auto decoded = decodePng(bytes);
  return decoded.complete ? std::move(decoded.pixels) : nullptr;
}

void checkScaledSets(const char* product, const platform::EmbeddedResourceTable& table,
                     const std::vector<Needed>& needs) {
  UsingTable use(table);
  for (const auto& need : needs) {
    auto one = decodeResource(need.name);
    ASSERT_TRUE(one) << product << " " << need.name;
    for (int scale : {2, 3}) {
      // Looked up in lower case although the table names them in capitals.
      const std::string name = scaledName(need.name, scale);
      SCOPED_TRACE(std::string(product) + " " + name);
      auto big = decodeResource(name);
      ASSERT_TRUE(big) << "missing or damaged";
      EXPECT_EQ(big->width(), scale * one->width());
      EXPECT_EQ(big->height(), scale * one->height());
    }
  }
}

TEST(ScaledResources, EveryPictureHasTwinsOfExactlyTwiceAndThreeTimesItsSize) {
  checkScaledSets("tessaro", tessaro::embeddedResources(), tessaroNeeds);
  checkScaledSets("pallido", pallido::embeddedResources(), pallidoNeeds);
}

// How far a larger set, reduced to 1x by averaging each scale x scale block
// (premultiplied, as the editor's area filter sees it), lies from the 1x
// picture, over one frame of it.
struct Difference {
  double mean = 0;  // |reduced - 1x| per channel value, over every channel of every pixel
  // The largest distance of a reduced channel value from the range the 1x
  // picture spans around that pixel (itself and its eight neighbours): an
  // edge that hinting or anti-aliasing put a fraction of a pixel elsewhere
  // stays inside that range, ink that is not in the 1x picture does not.
  int outside = 0;
};

Difference reducedDifference(const platform::PixelBuffer& one, const platform::PixelBuffer& big, int scale, int top,
                             int rows) {
  Difference d;
  long long sum = 0;
  const int area = scale * scale;
  // Row pointers once per row: a Windows picture flushes GDI on every row().
  std::vector<const std::uint8_t*> bigRows(scale);
  std::vector<const std::uint8_t*> around;
  for (int y = top; y < top + rows; ++y) {
    for (int by = 0; by < scale; ++by) bigRows[by] = big.row(y * scale + by);
    around.clear();
    for (int ny = std::max(0, y - 1); ny <= std::min(one.height() - 1, y + 1); ++ny) around.push_back(one.row(ny));
    const std::uint8_t* oneRow = one.row(y);
    for (int x = 0; x < one.width(); ++x) {
      for (int c = 0; c < 4; ++c) {
        int total = 0;
        for (const std::uint8_t* bigRow : bigRows)
          for (int bx = 0; bx < scale; ++bx) total += bigRow[(x * scale + bx) * 4 + c];
        const int reduced = (total + area / 2) / area;
        sum += std::abs(reduced - oneRow[x * 4 + c]);
        int low = 255, high = 0;
        for (const std::uint8_t* row : around)
          for (int nx = std::max(0, x - 1); nx <= std::min(one.width() - 1, x + 1); ++nx) {
            low = std::min<int>(low, row[nx * 4 + c]);
            high = std::max<int>(high, row[nx * 4 + c]);
          }
        d.outside = std::max({d.outside, low - reduced, reduced - high});
      }
    }
  }
  d.mean = static_cast<double>(sum) / (static_cast<double>(rows) * one.width() * 4);
  return d;
}

// The limits hold what the pictures show as drawn (the largest seen: a mean
// of 0.8 and 7 outside for shapes alone, 3.4 and 118 where legends are, at
// glyph edges that hinting places differently at each size). A knob strip one
// frame out of step gives a mean of 2.0 and 14, a key drawn a pixel lower 14,
// labels moved elsewhere in their zones 182 outside; brush strokes from
// another seed give a mean of 2.4 on the face's bottom rows, against 0.3.
struct Limits {
  double mean;
  int outside;
};
constexpr Limits kShapes{1.25, 12};
constexpr Limits kLegends{4.0, 128};

bool hasLegends(const std::string& name) {
  for (const char* printed :
       {"background.png", "about.png", "fileon.png", "fileoff.png", "ab.png", "ba.png", "abswitch.png"})
    if (name == printed) return true;
  return false;
}

void expectWithin(const Difference& d, const Limits& limits, const std::string& where) {
  EXPECT_LE(d.mean, limits.mean) << where << ": mean " << d.mean;
  EXPECT_LE(d.outside, limits.outside) << where << ": outside by " << d.outside;
}

void checkScaledLikeOne(const char* product, const platform::EmbeddedResourceTable& table,
                        const std::vector<Needed>& needs) {
  UsingTable use(table);
  for (const auto& need : needs) {
    auto one = decodeResource(need.name);
    ASSERT_TRUE(one);
    const int frameHeight = need.frameHeight > 0 ? need.frameHeight : need.height;
    const Limits& limits = hasLegends(need.name) ? kLegends : kShapes;
    for (int scale : {2, 3}) {
      auto big = decodeResource(scaledName(need.name, scale));
      ASSERT_TRUE(big && big->width() == scale * one->width() && big->height() == scale * one->height());
      for (int top = 0; top + frameHeight <= one->height(); top += frameHeight) {
        expectWithin(
            reducedDifference(*one, *big, scale, top, frameHeight), limits,
            std::string(product) + " " + scaledName(need.name, scale) + " frame " + std::to_string(top / frameHeight));
      }
    }
  }
}

TEST(ScaledResources, ReducedToOneXTheLargerSetsShowWhatTheOneXPicturesShow) {
  checkScaledLikeOne("tessaro", tessaro::embeddedResources(), tessaroNeeds);
  checkScaledLikeOne("pallido", pallido::embeddedResources(), pallidoNeeds);
}

TEST(ScaledResources, TheBrushedFaceHasTheSameStrokesAtEveryScale) {
  // Rows below the lowest legends, across panels, frames and bare face: the
  // strokes are faint, so only shapes' limits tell one seed from another.
  for (const auto* table : {&tessaro::embeddedResources(), &pallido::embeddedResources()}) {
    UsingTable use(*table);
    auto one = decodeResource("background.png");
    ASSERT_TRUE(one);
    for (int scale : {2, 3}) {
      auto big = decodeResource(scaledName("background.png", scale));
      ASSERT_TRUE(big && big->width() == scale * one->width());
      expectWithin(reducedDifference(*one, *big, scale, 247, 9), kShapes,
                   "rows 247 to 255 of " + scaledName("background.png", scale));
    }
  }
}

// The libraries hosts load: on Windows the pictures are the library's own
// resources, elsewhere its byte table; either way each is there once (a
// second copy would only make the library larger).
std::vector<std::uint8_t> readLibrary(const char* product) {
#if defined(_WIN32)
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  std::ifstream file(std::string(SORVANE_PLUGIN_DIR) + separator + product + SORVANE_PLUGIN_SUFFIX, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void checkCarriedOnce(const char* product, const platform::EmbeddedResourceTable& table) {
  const std::vector<std::uint8_t> library = readLibrary(product);
  ASSERT_FALSE(library.empty()) << product << " is not built";
  for (std::size_t i = 0; i < table.count; ++i) {
    const platform::EmbeddedResource& picture = table.entries[i];
    const std::boyer_moore_horspool_searcher search(picture.bytes, picture.bytes + picture.size);
    int copies = 0;
    for (auto at = library.begin(); (at = std::search(at, library.end(), search)) != library.end(); ++at) ++copies;
    EXPECT_EQ(copies, 1) << product << " " << picture.name;
  }
}

TEST(ScaledResources, EachPlugInLibraryCarriesEveryPictureOfItsProductOnce) {
  checkCarriedOnce("Tessaro", tessaro::embeddedResources());
  checkCarriedOnce("Pallido", pallido::embeddedResources());
}

}  // namespace
}  // namespace sorvane
