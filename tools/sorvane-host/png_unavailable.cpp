// Builds without libpng: plots cannot be written, everything else works.
#include "tools/sorvane-host/raster.h"

namespace sorvane::host {

bool writePng(const std::string& path, const Raster& /*raster*/, std::string& error) {
  error = "cannot write '" + path + "': this build of sorvane-host has no PNG support (libpng was not found)";
  return false;
}

}  // namespace sorvane::host
