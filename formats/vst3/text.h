// Texts between the effect's UTF-8 and the interface's UTF-16 fields.
// Each copy writes at most the field and always terminates it; a character
// cut by the end of the field is dropped whole. Bad UTF-8 becomes U+FFFD.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "formats/vst3/interfaces.h"

namespace sorvane::vst3 {

void copyUtf16(std::span<char16> field, const char* utf8);
void copyUtf8(std::span<char8> field, const char* utf8);
// The UTF-8 of a terminated UTF-16 text of at most `capacity` units.
std::string toUtf8(const char16* text, std::size_t capacity);

}  // namespace sorvane::vst3
