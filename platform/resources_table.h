// Searching an embedded resource table; shared by every system's look-up.
#pragma once

#include <cctype>

#include "platform/resources.h"

namespace sorvane::platform::detail {

inline bool sameNameIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b))) return false;
  }
  return *a == *b;
}

inline std::span<const std::uint8_t> findInTable(const EmbeddedResourceTable* table, const char* type,
                                                 const char* name) {
  if (table == nullptr || type == nullptr || name == nullptr) return {};
  for (std::size_t i = 0; i < table->count; ++i) {
    const EmbeddedResource& r = table->entries[i];
    if (sameNameIgnoringCase(r.type, type) && sameNameIgnoringCase(r.name, name)) return {r.bytes, r.size};
  }
  return {};
}

}  // namespace sorvane::platform::detail
