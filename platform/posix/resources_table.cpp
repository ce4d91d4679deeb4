// Off Windows a library has no resource section: the pictures come from the
// byte table the build generated for the product.
#include "platform/resources_table.h"

namespace sorvane::platform {
namespace {
const EmbeddedResourceTable* selectedTable = nullptr;
}

void useEmbeddedResources(const EmbeddedResourceTable* table) { selectedTable = table; }

std::span<const std::uint8_t> findResource(const char* type, const char* name) {
  return detail::findInTable(selectedTable, type, name);
}

std::unique_ptr<PixelBuffer> loadBitmapResource(const char*) { return nullptr; }

}  // namespace sorvane::platform
