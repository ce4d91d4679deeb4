// Software text through FreeType. Liberation Sans has the metrics of the
// sans-serif face the toolkit asks for, so text lands where it would on
// Windows. The font file is looked for at run time; without it the back end
// draws no text and says so once.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/software/draw_text.h"

namespace sorvane::platform::software {
namespace {

// The FreeType library lives as long as its last user: the library's own
// static reference and every face made with it. A host that loads and
// unloads the plug-in again and again must get its memory back each time,
// whatever order the statics go in at unload.
class FreeTypeLibrary {
 public:
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&handle_) != 0) handle_ = nullptr;
  }
  ~FreeTypeLibrary() {
    if (handle_) FT_Done_FreeType(handle_);
  }
  FreeTypeLibrary(const FreeTypeLibrary&) = delete;
  FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
  FT_Library handle() const { return handle_; }

 private:
  FT_Library handle_ = nullptr;
};

const std::shared_ptr<FreeTypeLibrary>& library() {
  static const std::shared_ptr<FreeTypeLibrary> lib = std::make_shared<FreeTypeLibrary>();
  return lib;
}

bool readable(const std::string& path) {
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
    return true;
  }
  return false;
}

// Directories where Debian and other systems keep Liberation Sans; a
// SORVANE_FONT_DIR in the environment is tried first.
std::string findFontFile(int style) {
  static const char* const kDirs[] = {
      "/usr/share/fonts/truetype/liberation",
      "/usr/share/fonts/truetype/liberation2",
      "/usr/share/fonts/liberation",
      "/usr/share/fonts/liberation-sans",
      "/usr/local/share/fonts",
      "/usr/share/fonts/TTF",
  };
  const char* variant = "Regular";
  if ((style & 3) == 3)
    variant = "BoldItalic";
  else if (style & 1)
    variant = "Bold";
  else if (style & 2)
    variant = "Italic";
  std::vector<std::string> dirs;
  if (const char* env = std::getenv("SORVANE_FONT_DIR")) dirs.emplace_back(env);
  for (const char* d : kDirs) dirs.emplace_back(d);
  for (const char* v : {variant, "Regular"}) {
    for (const auto& d : dirs) {
      std::string path = d + "/LiberationSans-" + v + ".ttf";
      if (readable(path)) return path;
    }
  }
  return {};
}

// The toolkit's texts are UTF-8 ("0°"). Reads one character at p and moves
// p past it. A sequence that is not UTF-8 (a stray or missing continuation
// byte, an overlong form, a surrogate, a value past U+10FFFF) reads as one
// replacement character and moves p past the bytes it spans; the
// terminating NUL is never passed, as it is no continuation byte.
char32_t nextCodePoint(const unsigned char*& p) {
  constexpr char32_t kReplacement = 0xFFFD;
  const unsigned char lead = *p++;
  if (lead < 0x80) return lead;
  auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
  int length = 0;
  char32_t code = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, smallest = 0x10000;
  } else {
    while (continuation(*p)) ++p;  // a stray run of continuation bytes, or a lead no UTF-8 has
    return kReplacement;
  }
  for (int i = 1; i < length; ++i) {
    if (!continuation(*p)) return kReplacement;  // cut short: the next byte starts afresh
    code = (code << 6) | (*p++ & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kReplacement;
  return code;
}

class FreeTypeFont final : public SoftwareFont {
 public:
  FreeTypeFont(std::shared_ptr<FreeTypeLibrary> library, FT_Face face, bool underline)
      : library_(std::move(library)), face_(face), underline_(underline) {}
  ~FreeTypeFont() override { FT_Done_Face(face_); }

  int ascent() const override { return static_cast<int>((face_->size->metrics.ascender + 63) >> 6); }
  int descent() const override { return static_cast<int>((-face_->size->metrics.descender + 63) >> 6); }
  bool underline() const override { return underline_; }

  int measure(const char* text) override {
    long pen = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;) {
      if (FT_Load_Char(face_, nextCodePoint(p), FT_LOAD_DEFAULT) != 0) continue;
      pen += face_->glyph->advance.x;
    }
    return static_cast<int>((pen + 32) >> 6);
  }

  void render(const char* text, int originX, int baselineY,
              const std::function<void(int, int, std::uint8_t)>& plot) override {
    long pen = static_cast<long>(originX) << 6;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;) {
      if (FT_Load_Char(face_, nextCodePoint(p), FT_LOAD_RENDER) != 0) continue;
      FT_GlyphSlot g = face_->glyph;
      const FT_Bitmap& bm = g->bitmap;
      int left = static_cast<int>((pen + 32) >> 6) + g->bitmap_left;
      int top = baselineY - g->bitmap_top;
      if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
        for (unsigned row = 0; row < bm.rows; ++row) {
          const unsigned char* src = bm.buffer + static_cast<long>(row) * bm.pitch;
          for (unsigned col = 0; col < bm.width; ++col) plot(left + col, top + row, src[col]);
        }
      }
      pen += g->advance.x;
    }
  }

 private:
  std::shared_ptr<FreeTypeLibrary> library_;  // outlives the face
  FT_Face face_;
  bool underline_;
};

}  // namespace

std::unique_ptr<SoftwareFont> makeSoftwareFont(const FontRequest& request) {
  static bool warned = false;
  const std::shared_ptr<FreeTypeLibrary>& lib = library();
  std::string path = lib->handle() ? findFontFile(request.style) : std::string();
  FT_Face face = nullptr;
  if (path.empty() || FT_New_Face(lib->handle(), path.c_str(), 0, &face) != 0) {
    if (!warned) {
      std::fprintf(stderr, "sorvane: Liberation Sans not found (fonts-liberation); text is not drawn\n");
      warned = true;
    }
    return nullptr;
  }
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(request.size > 0 ? request.size : 12));
  return std::make_unique<FreeTypeFont>(lib, face, (request.style & 4) != 0);
}

}  // namespace sorvane::platform::software
