#include <png.h>

#include <cstdio>

#include "tools/sorvane-host/raster.h"

namespace sorvane::host {

bool writePng(const std::string& path, const Raster& raster, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot open '" + path + "' for writing";
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    error = "cannot write '" + path + "': libpng could not start";
    return false;
  }
  // libpng reports failures by long jump; nothing with a destructor lives
  // between here and the end of the function.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    error = "cannot write '" + path + "': libpng failed (disk full?)";
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(raster.width()), static_cast<png_uint_32>(raster.height()), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const auto& bytes = raster.rgbBytes();
  const auto stride = static_cast<size_t>(raster.width()) * 3;
  for (int y = 0; y < raster.height(); ++y) {
    png_write_row(png, const_cast<png_bytep>(bytes.data() + stride * static_cast<size_t>(y)));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) {
    error = "cannot write '" + path + "': closing the file failed";
    return false;
  }
  return true;
}

}  // namespace sorvane::host
