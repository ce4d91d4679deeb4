#include "tests/editor/golden.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "gui/draw/cdrawcontext.h"
#include "gui/draw/cfontdesc.h"
#include "gui/draw/png_encode.h"

namespace sorvane::test {
namespace {

std::string dataFolder() {
  const char* data = std::getenv("SORVANE_TEST_DATA");
  return std::string(data ? data : "tests/data") + "/editor";
}

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
};

bool readPng(const std::string& path, Picture& out) {
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  const bool ok = png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

bool inAny(const std::vector<CRect>& areas, int x, int y) {
  for (const CRect& r : areas)
    if (r.pointInside(CPoint(x, y))) return true;
  return false;
}

}  // namespace

bool writePng(const std::string& path, const platform::PixelBuffer& pixels) {
  return writeOpaquePng(path.c_str(), pixels);
}

bool softwareTextAvailable() {
  auto canvas = platform::createMemoryPixelBuffer(40, 20);
  CDrawContext context(platform::createSoftwareDevice(*canvas));
  context.setFontColor(kWhiteCColor);
  context.setFont(kNormalFont);
  context.drawString("Hg", CRect(0, 0, 40, 20));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x)
      if (canvas->row(y)[x * 4] != 0) return true;
  return false;
}

namespace {

// The comparison itself: what differs, empty when nothing does; the
// difference picture into diff when given.
std::string compare(const std::string& name, const std::vector<std::uint8_t>& got, int width, int height,
                    const std::vector<CRect>& textAreas, int textTolerance, std::vector<std::uint8_t>* diff) {
  const std::string goldenPath = dataFolder() + "/" + name + ".png";
  Picture golden;
  if (!readPng(goldenPath, golden)) return "no golden picture " + goldenPath;
  if (golden.width != width || golden.height != height)
    return name + ": size " + std::to_string(width) + "x" + std::to_string(height) + ", golden " +
           std::to_string(golden.width) + "x" + std::to_string(golden.height);

  const bool withText = softwareTextAvailable();
  if (diff) diff->assign(got.size(), 0);
  int outside = 0, inside = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < golden.height; ++y) {
    for (int x = 0; x < golden.width; ++x) {
      const size_t i = (static_cast<size_t>(y) * golden.width + x) * 4;
      int worst = 0;
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(got[i + c]) - int(golden.rgba[i + c])));
      if (diff) (*diff)[i + 3] = 255;
      if (worst == 0) continue;
      const bool text = inAny(textAreas, x, y);
      if (text && (!withText || worst <= textTolerance)) continue;
      if (diff) {
        (*diff)[i] = 255;
        (*diff)[i + 1] = static_cast<std::uint8_t>(255 - worst);
      }
      (text ? inside : outside)++;
      if (firstX < 0) firstX = x, firstY = y;
    }
  }
  if (outside == 0 && inside == 0) return "";
  return name + ": " + std::to_string(outside) + " pixels differ outside text areas and " + std::to_string(inside) +
         " inside beyond the tolerance, first at " + std::to_string(firstX) + "," + std::to_string(firstY);
}

}  // namespace

bool goldenUpdateRequested() {
  const char* update = std::getenv("SORVANE_UPDATE_GOLDEN");
  return update && std::strcmp(update, "1") == 0;
}

std::string compareWithGolden(const std::string& name, const platform::PixelBuffer& actual,
                              const std::vector<CRect>& textAreas, int textTolerance) {
  const std::vector<std::uint8_t> got = opaqueRgba(actual);
  if (goldenUpdateRequested()) {
    const std::string goldenPath = dataFolder() + "/" + name + ".png";
    if (!softwareTextAvailable()) return "golden pictures are made only by a build that draws text";
    return writeRgbaPng(goldenPath.c_str(), actual.width(), actual.height(), got) ? "" : "cannot write " + goldenPath;
  }
  std::vector<std::uint8_t> diff;
  const std::string problem = compare(name, got, actual.width(), actual.height(), textAreas, textTolerance, &diff);
  if (problem.empty() || diff.empty()) return problem;
  const std::string actualPath = name + ".actual.png";
  const std::string diffPath = name + ".diff.png";
  writeRgbaPng(actualPath.c_str(), actual.width(), actual.height(), got);
  writeRgbaPng(diffPath.c_str(), actual.width(), actual.height(), diff);
  return problem + "; wrote " + actualPath + " and " + diffPath;
}

std::string differenceFromGolden(const std::string& name, const platform::PixelBuffer& actual,
                                 const std::vector<CRect>& textAreas, int textTolerance) {
  return compare(name, opaqueRgba(actual), actual.width(), actual.height(), textAreas, textTolerance, nullptr);
}

}  // namespace sorvane::test
