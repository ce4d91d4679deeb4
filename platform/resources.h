// Resources carried inside the plug-in library: the product's PNG pictures.
// On Windows they are real resources of type "PNG" (a resource script); on
// other systems the build turns the same files into a byte table that the
// product hands over with useEmbeddedResources. Names compare without regard
// to case, as Windows resource names do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/draw.h"

namespace sorvane::platform {

struct EmbeddedResource {
  const char* type;  // "PNG"
  const char* name;  // as the resource script names it, e.g. "BACKGROUND.PNG"
  const std::uint8_t* bytes;
  std::size_t size;
};

struct EmbeddedResourceTable {
  const EmbeddedResource* entries;
  std::size_t count;
};

// The table searched after the library's own resources (or instead of them,
// where a library has none). Process-wide; null clears it.
void useEmbeddedResources(const EmbeddedResourceTable* table);

// The bytes of the resource of that type and name, or an empty span. A
// numeric resource ID is written "#123". The bytes live as long as the library.
std::span<const std::uint8_t> findResource(const char* type, const char* name);

// A plain bitmap resource (no alpha channel) as an opaque 32-bit picture, or
// null where there is none (always null off Windows).
std::unique_ptr<PixelBuffer> loadBitmapResource(const char* name);

}  // namespace sorvane::platform
