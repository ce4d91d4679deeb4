// Decoding PNG pictures into premultiplied blue-green-red-alpha bytes.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <array>

#include "gui/draw/png_decode.h"
#include "tests/gui/draw/png_fixture.h"

namespace sorvane {
namespace {

using test::PngPicture;

std::array<std::uint8_t, 4> pixelAt(const platform::PixelBuffer& p, int x, int y) {
  const std::uint8_t* b = p.row(y) + x * 4;
  return {b[0], b[1], b[2], b[3]};
}

using Px = std::array<std::uint8_t, 4>;

TEST(PngDecode, ColoursArePremultipliedAndStoredBlueGreenRedAlpha) {
  auto png = test::rgbaPng(3, 1, [](int x, int) {
    if (x == 0) return Px{200, 100, 50, 128};
    if (x == 1) return Px{255, 255, 255, 0};
    return Px{10, 20, 30, 255};
  });
  auto decoded = decodePng(png);
  ASSERT_TRUE(decoded.pixels);
  EXPECT_TRUE(decoded.complete);
  EXPECT_EQ(pixelAt(*decoded.pixels, 0, 0), (Px{25, 50, 100, 128}));
  EXPECT_EQ(pixelAt(*decoded.pixels, 1, 0), (Px{0, 0, 0, 0})) << "a transparent pixel keeps no colour";
  // c × 255 >> 8 loses one step even when opaque: the stored form of the
  // pictures, the same on every back end.
  EXPECT_EQ(pixelAt(*decoded.pixels, 2, 0), (Px{29, 19, 9, 255}));
}

TEST(PngDecode, PaletteWithTransparencyChunkGivesAlpha) {
  PngPicture picture;
  picture.width = 3;
  picture.colorType = PNG_COLOR_TYPE_PALETTE;
  picture.palette = {255, 0, 0, 0, 255, 0, 0, 0, 200};
  picture.trns = {255, 0, 64};
  picture.rows = {{0, 1, 2}};
  auto decoded = decodePng(test::encodePng(picture));
  ASSERT_TRUE(decoded.pixels);
  EXPECT_EQ(pixelAt(*decoded.pixels, 0, 0), (Px{0, 0, 254, 255}));
  EXPECT_EQ(pixelAt(*decoded.pixels, 1, 0), (Px{0, 0, 0, 0}));
  EXPECT_EQ(pixelAt(*decoded.pixels, 2, 0), (Px{50, 0, 0, 64}));
}

TEST(PngDecode, PaletteWithoutTransparencyIsOpaque) {
  PngPicture picture;
  picture.width = 2;
  picture.colorType = PNG_COLOR_TYPE_PALETTE;
  picture.bitDepth = 4;
  picture.palette = {0, 0, 0, 0, 128, 255};
  picture.rows = {{0x10}};  // entries 1, 0 packed in one byte
  auto decoded = decodePng(test::encodePng(picture));
  ASSERT_TRUE(decoded.pixels);
  EXPECT_EQ(pixelAt(*decoded.pixels, 0, 0), (Px{254, 127, 0, 255}));
  EXPECT_EQ(pixelAt(*decoded.pixels, 1, 0), (Px{0, 0, 0, 255}));
}

TEST(PngDecode, GreyPicturesBecomeOpaqueGreyAtEveryDepth) {
  PngPicture eight;
  eight.width = 2;
  eight.colorType = PNG_COLOR_TYPE_GRAY;
  eight.rows = {{0x80, 0xff}};
  auto decoded = decodePng(test::encodePng(eight));
  ASSERT_TRUE(decoded.pixels);
  EXPECT_EQ(pixelAt(*decoded.pixels, 0, 0), (Px{127, 127, 127, 255}));
  EXPECT_EQ(pixelAt(*decoded.pixels, 1, 0), (Px{254, 254, 254, 255}));

  PngPicture two;
  two.width = 4;
  two.colorType = PNG_COLOR_TYPE_GRAY;
  two.bitDepth = 2;
  two.rows = {{0b00011011}};  // 0, 1, 2, 3 → 0x00, 0x55, 0xaa, 0xff
  decoded = decodePng(test::encodePng(two));
  ASSERT_TRUE(decoded.pixels);
  EXPECT_EQ(pixelAt(*decoded.pixels, 1, 0), (Px{0x54, 0x54, 0x54, 255}));
  EXPECT_EQ(pixelAt(*decoded.pixels, 2, 0), (Px{0xa9, 0xa9, 0xa9, 255}));

  PngPicture greyAlpha;
  greyAlpha.width = 1;
  greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha.rows = {{200, 128}};
  decoded = decodePng(test::encodePng(greyAlpha));
  ASSERT_TRUE(decoded.pixels);
  EXPECT_EQ(pixelAt(*decoded.pixels, 0, 0), (Px{100, 100, 100, 128}));
}

TEST(PngDecode, SixteenBitChannelsKeepTheirHighByte) {
  PngPicture picture;
  picture.width = 1;
  picture.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  picture.bitDepth = 16;
  picture.rows = {{0xc8, 0x77, 0x64, 0x01, 0x32, 0xff, 0x80, 0x00}};  // 200, 100, 50, 128 in the high bytes
  auto decoded = decodePng(test::encodePng(picture));
  ASSERT_TRUE(decoded.pixels);
  EXPECT_EQ(pixelAt(*decoded.pixels, 0, 0), (Px{25, 50, 100, 128}));
}

TEST(PngDecode, InterlacedPictureEqualsItsPlainTwin) {
  auto pattern = [](int x, int y) {
    return Px{static_cast<std::uint8_t>(x * 17), static_cast<std::uint8_t>(y * 13),
              static_cast<std::uint8_t>((x ^ y) * 5), static_cast<std::uint8_t>(255 - x * y)};
  };
  auto plain = decodePng(test::rgbaPng(13, 11, pattern, false));
  auto interlaced = decodePng(test::rgbaPng(13, 11, pattern, true));
  ASSERT_TRUE(plain.pixels && interlaced.pixels);
  EXPECT_TRUE(interlaced.complete);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 13; ++x)
      ASSERT_EQ(pixelAt(*interlaced.pixels, x, y), pixelAt(*plain.pixels, x, y)) << "at " << x << "," << y;
}

TEST(PngDecode, TruncatedPictureKeepsItsSizeAndTheRowsThatArrived) {
  // Stored without compression, so the cut lands in a known row.
  auto full = test::rgbaPng(
      8, 40,
      [](int x, int y) {
        return Px{static_cast<std::uint8_t>(y), 0, static_cast<std::uint8_t>(x), 255};
      },
      false, 0);
  std::vector<std::uint8_t> half(full.begin(), full.begin() + full.size() / 2);
  auto decoded = decodePng(half);
  ASSERT_TRUE(decoded.pixels);
  EXPECT_FALSE(decoded.complete);
  EXPECT_EQ(decoded.pixels->width(), 8);
  EXPECT_EQ(decoded.pixels->height(), 40);
  EXPECT_EQ(pixelAt(*decoded.pixels, 3, 2), (Px{2, 0, 1, 255})) << "early rows decoded and premultiplied";
  EXPECT_EQ(pixelAt(*decoded.pixels, 3, 39), (Px{0, 0, 0, 0})) << "rows never read stay transparent";
}

TEST(PngDecode, EveryCutOfAPictureDecodesWithoutHarm) {
  auto interlaced = test::rgbaPng(
      9, 7,
      [](int x, int y) {
        return Px{static_cast<std::uint8_t>(x * 20), 7, static_cast<std::uint8_t>(y * 30), 200};
      },
      true);
  for (std::size_t cut = 0; cut < interlaced.size(); ++cut) {
    std::vector<std::uint8_t> part(interlaced.begin(), interlaced.begin() + cut);
    auto decoded = decodePng(part);
    if (decoded.pixels) {
      EXPECT_EQ(decoded.pixels->width(), 9) << "cut at " << cut;
      EXPECT_EQ(decoded.pixels->height(), 7) << "cut at " << cut;
      EXPECT_FALSE(decoded.complete) << "cut at " << cut;
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
          auto p = pixelAt(*decoded.pixels, x, y);
          ASSERT_LE(std::max({p[0], p[1], p[2]}), p[3]) << "premultiplied even when cut at " << cut;
        }
    }
  }
}

TEST(PngDecode, DataThatIsNoPictureGivesNothing) {
  std::vector<std::uint8_t> junk(64, 0x42);
  EXPECT_FALSE(decodePng(junk).pixels);
  EXPECT_FALSE(decodePng({}).pixels);
  // A well-formed header claiming a picture far larger than any the products
  // use must not make the decoder reserve gigabytes.
  auto huge = test::rgbaPng(1, 1, [](int, int) { return Px{1, 2, 3, 4}; });
  huge[17] = 0x01;  // width 65537 × 1 ... then height 65537 too
  huge[21] = 0x01;
  std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, huge.data() + 12, 17));
  for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  EXPECT_FALSE(decodePng(huge).pixels);
}

}  // namespace
}  // namespace sorvane
