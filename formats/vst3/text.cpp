#include "formats/vst3/text.h"

#include <cstdint>

namespace sorvane::vst3 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One code point from the UTF-8 at text, advancing it.
char32_t nextCodePoint(const unsigned char*& text) {
  const unsigned char lead = *text++;
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || lead >= 0xF8) return kReplacement;
  char32_t code = lead & (0x3F >> extra);
  for (; extra > 0; --extra) {
    if ((*text & 0xC0) != 0x80) return kReplacement;  // the terminator stops here too
    code = (code << 6) | (*text++ & 0x3F);
  }
  return code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? kReplacement : code;
}

}  // namespace

void copyUtf16(std::span<char16> field, const char* utf8) {
  if (field.empty()) return;
  std::size_t used = 0;
  const auto* text = reinterpret_cast<const unsigned char*>(utf8 ? utf8 : "");
  while (*text) {
    const char32_t code = nextCodePoint(text);
    const std::size_t units = code > 0xFFFF ? 2 : 1;
    if (used + units >= field.size()) break;
    if (units == 2) {
      field[used++] = static_cast<char16>(0xD800 + ((code - 0x10000) >> 10));
      field[used++] = static_cast<char16>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      field[used++] = static_cast<char16>(code);
    }
  }
  field[used] = 0;
}

void copyUtf8(std::span<char8> field, const char* utf8) {
  if (field.empty()) return;
  const char* text = utf8 ? utf8 : "";
  std::size_t used = 0;
  while (text[used] && used + 1 < field.size()) ++used;
  // Never end inside a character.
  if (text[used]) {
    std::size_t start = used;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    used = start;
  }
  for (std::size_t i = 0; i < used; ++i) field[i] = text[i];
  field[used] = 0;
}

std::string toUtf8(const char16* text, std::size_t capacity) {
  std::string out;
  for (std::size_t i = 0; text && i < capacity && text[i]; ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < capacity && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = kReplacement;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

}  // namespace sorvane::vst3
