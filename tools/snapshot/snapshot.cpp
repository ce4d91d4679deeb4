// sorvane-snapshot: composes an editor mock-up from a product's embedded
// pictures through the software back end and writes it as a PNG.
//
//   sorvane-snapshot <tessaro|pallido> <out.png> [--about] [--set INDEX=VALUE]...
//
// The picture shows the background, every control's frame for the product's
// start values (or the --set ones) at its place, and the preset name; with
// --about, the about screen with its version label on top.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cdrawcontext.h"
#include "platform/resources.h"
#include "tools/snapshot/mockup_layout.h"

namespace tessaro {
const sorvane::platform::EmbeddedResourceTable& embeddedResources();
}
namespace pallido {
const sorvane::platform::EmbeddedResourceTable& embeddedResources();
}

namespace {

using namespace sorvane;

bool writePng(const char* path, const platform::PixelBuffer& pixels) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(pixels.width()) * 4);
  if (png && info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, pixels.width(), pixels.height(), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < pixels.height(); ++y) {
      const std::uint8_t* s = pixels.row(y);
      for (int x = 0; x < pixels.width(); ++x, s += 4) {
        unsigned a = s[3];
        auto straight = [a](unsigned c) {
          return static_cast<std::uint8_t>(a ? std::min(255u, (c * 255 + a / 2) / a) : 0);
        };
        row[x * 4 + 0] = straight(s[2]);
        row[x * 4 + 1] = straight(s[1]);
        row[x * 4 + 2] = straight(s[0]);
        row[x * 4 + 3] = static_cast<std::uint8_t>(a);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

int usage() {
  std::fprintf(stderr, "usage: sorvane-snapshot <tessaro|pallido> <out.png> [--about] [--set INDEX=VALUE]...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const snapshot::MockLayout* layout = snapshot::findMockLayout(argv[1]);
  if (!layout) return usage();
  const char* out = argv[2];
  bool withAbout = false;
  std::vector<float> values = layout->startValues;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--about") == 0) {
      withAbout = true;
    } else if (std::strcmp(argv[i], "--set") == 0 && i + 1 < argc) {
      int index = 0;
      float value = 0;
      if (std::sscanf(argv[++i], "%d=%f", &index, &value) != 2 || index < 0 || index >= static_cast<int>(values.size()))
        return usage();
      values[index] = value;
    } else {
      return usage();
    }
  }
  platform::useEmbeddedResources(layout->product == "tessaro" ? &tessaro::embeddedResources()
                                                              : &pallido::embeddedResources());

  auto* background = new CBitmap("background.png");
  auto canvas = platform::createMemoryPixelBuffer(background->getWidth(), background->getHeight());
  if (!canvas) {
    std::fprintf(stderr, "sorvane-snapshot: no background picture\n");
    return 1;
  }
  auto* context = new CDrawContext(platform::createSoftwareDevice(*canvas));
  context->setFillColor(kBlackCColor);
  context->fillRect(CRect(0, 0, canvas->width(), canvas->height()));
  background->draw(context, CRect(0, 0, canvas->width(), canvas->height()));
  background->forget();

  for (const auto& control : layout->controls) {
    auto* bitmap = new CBitmap(control.bitmap);
    if (!bitmap->isLoaded()) std::fprintf(stderr, "sorvane-snapshot: %s is missing\n", control.bitmap);
    float value = control.parameter >= 0 ? values[control.parameter] : 0.0f;
    int frameHeight = control.rect.height();
    CPoint source;
    switch (control.kind) {
      case snapshot::Kind::Knob: {
        int frames = frameHeight > 0 ? bitmap->getHeight() / frameHeight : 0;
        int span = (frames - 1) * frameHeight;
        int y = static_cast<int>(value * static_cast<float>(span));
        source.y = frameHeight > 0 ? y - y % frameHeight : 0;
        break;
      }
      case snapshot::Kind::OnOff:
        source.y = value != 0.0f ? bitmap->getHeight() / 2 : 0;
        break;
      case snapshot::Kind::Kick:
        source.y = value != 0.0f ? frameHeight : 0;
        break;
      case snapshot::Kind::Picture:
        break;
    }
    bitmap->drawTransparent(context, control.rect, source);
    bitmap->forget();
  }

  context->setFont(kNormalFontSmall);
  context->setFontColor(kBlackCColor);
  context->drawString(layout->presetName, layout->presetRect, kCenterText);

  if (withAbout) {
    auto* about = new CBitmap("about.png");
    about->draw(context, layout->aboutRect);
    about->forget();
    CRect version(218, 11, 274, 21);
    version.offset(layout->aboutRect.left, layout->aboutRect.top);
    context->setFontColor(kWhiteCColor);
    context->drawString("Ver.1.0.0", version, kLeftText);
  }
  context->forget();

  if (!writePng(out, *canvas)) {
    std::fprintf(stderr, "sorvane-snapshot: cannot write %s\n", out);
    return 1;
  }
  return 0;
}
