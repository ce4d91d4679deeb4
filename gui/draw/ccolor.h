// Colours of the toolkit: red, green, blue and alpha bytes. Devices take the
// three colour bytes; alpha counts only where an operation says so.
#pragma once

#include <cstdint>

namespace sorvane {

struct CColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
  friend constexpr bool operator==(const CColor&, const CColor&) = default;
};

constexpr CColor MakeCColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255) {
  return CColor{red, green, blue, alpha};
}

inline constexpr CColor kBlackCColor{0, 0, 0, 255};
inline constexpr CColor kWhiteCColor{255, 255, 255, 255};
inline constexpr CColor kRedCColor{255, 0, 0, 255};
inline constexpr CColor kGreyCColor{127, 127, 127, 255};
// The colour key of pictures without alpha, unless a bitmap sets another.
inline constexpr CColor kTransparentCColor{255, 255, 255, 0};

}  // namespace sorvane
