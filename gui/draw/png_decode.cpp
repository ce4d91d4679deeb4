#include "gui/draw/png_decode.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace sorvane {
namespace {

// The products' pictures are small; a header claiming more is damage.
constexpr png_uint_32 kLargestSide = 32768;

struct MemoryReader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
  bool ranOut;
};

// libpng asks for a whole chunk's data at once. When the data breaks off
// inside a chunk, the part that is there is handed over (zero-filled to the
// length asked), so the rows it holds still decode; the next read stops.
void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (reader->ranOut) png_error(png, "picture data ends early");
  std::size_t available = std::min<std::size_t>(length, reader->size - reader->position);
  std::memcpy(out, reader->data + reader->position, available);
  if (available < length) {
    std::memset(out + available, 0, length - available);
    reader->ranOut = true;
  }
  reader->position += available;
}

void stopOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) {}

void premultiply(platform::PixelBuffer& pixels) {
  for (int y = 0; y < pixels.height(); ++y) {
    std::uint8_t* p = pixels.row(y);
    for (int x = 0; x < pixels.width(); ++x, p += 4) {
      unsigned a = p[3];
      if (a == 0) {
        p[0] = p[1] = p[2] = 0;
      } else {
        p[0] = static_cast<std::uint8_t>((p[0] * a) >> 8);
        p[1] = static_cast<std::uint8_t>((p[1] * a) >> 8);
        p[2] = static_cast<std::uint8_t>((p[2] * a) >> 8);
      }
    }
  }
}

// Everything that setjmp must not see change lives here, outside the frame
// that longjmp returns to.
struct DecodeState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  MemoryReader reader{};
  std::unique_ptr<platform::PixelBuffer> pixels;
  std::vector<png_bytep> rows;
  bool complete = false;
};

// Returns normally or through longjmp; either way state holds what was read.
void decodeInto(DecodeState& s) {
  if (setjmp(png_jmpbuf(s.png))) return;
  png_set_read_fn(s.png, &s.reader, readFromMemory);
  png_set_user_limits(s.png, kLargestSide, kLargestSide);
  png_read_info(s.png, s.info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(s.png, s.info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);

  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s.png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(s.png);
  if (png_get_valid(s.png, s.info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(s.png);
  } else if (!(colorType & PNG_COLOR_MASK_ALPHA)) {
    png_set_filler(s.png, 0xff, PNG_FILLER_AFTER);
  }
  if (bitDepth == 16) png_set_strip_16(s.png);
  png_set_bgr(s.png);
  int passes = png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  if (png_get_rowbytes(s.png, s.info) != static_cast<png_size_t>(width) * 4) png_error(s.png, "unexpected row layout");

  s.pixels = platform::createPixelBuffer(static_cast<int>(width), static_cast<int>(height));
  if (!s.pixels) png_error(s.png, "no memory for the picture");
  s.rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) s.rows[y] = s.pixels->row(static_cast<int>(y));

  // Row by row (each pass over all rows when interlaced), so a break keeps
  // every row that arrived whole.
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(s.png, s.rows[y], nullptr);
  }
  png_read_end(s.png, nullptr);
  s.complete = true;
}

std::uint32_t bigEndian(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

bool readPngSize(std::span<const std::uint8_t> bytes, int& width, int& height) {
  width = height = 0;
  // Signature, then the header chunk: length 13, "IHDR", width, height.
  if (bytes.size() < 24 || png_sig_cmp(bytes.data(), 0, 8) != 0) return false;
  if (bigEndian(bytes.data() + 8) != 13 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) return false;
  const std::uint32_t w = bigEndian(bytes.data() + 16), h = bigEndian(bytes.data() + 20);
  if (w == 0 || h == 0 || w > kLargestSide || h > kLargestSide) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

PngDecodeResult decodePng(std::span<const std::uint8_t> bytes) {
  PngDecodeResult result;
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return result;
  DecodeState s;
  s.reader = MemoryReader{bytes.data(), bytes.size(), 0, false};
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stopOnError, ignoreWarning);
  if (s.png == nullptr) return result;
  s.info = png_create_info_struct(s.png);
  if (s.info != nullptr) decodeInto(s);
  png_destroy_read_struct(&s.png, s.info ? &s.info : nullptr, nullptr);
  // Also after a break: the rows read so far are stored like a whole picture.
  if (s.pixels) premultiply(*s.pixels);
  result.pixels = std::move(s.pixels);
  result.complete = s.complete && !s.reader.ranOut;
  return result;
}

}  // namespace sorvane
