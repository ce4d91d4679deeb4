// A product's parameter table: what each host parameter is called and which
// part of the effect it drives.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>

namespace sorvane {

enum class ParameterRole {
  OnOff,   // 0.0 processes, any other value bypasses
  Band,    // normalised knob position handed to both channel objects of a band
  Phase,   // 0.0 keeps the polarity, any other value inverts
  Output,  // -20 dB at 0.0 to +20 dB at 1.0, linear in dB
};

struct ParameterInfo {
  const char* name;
  ParameterRole role;
  int band;   // chain index of the band (Band role only, else -1)
  int field;  // parameter field inside that band object
};

// The position of a band class in a product's chain (a std::tuple of band
// classes); -1 unless it occurs exactly once.
template <class Band, class... Chain>
constexpr int chainIndexOf(const std::tuple<Chain...>*) {
  constexpr bool matches[] = {std::is_same_v<Band, Chain>...};
  int index = -1;
  int count = 0;
  for (std::size_t i = 0; i < sizeof...(Chain); ++i)
    if (matches[i]) {
      index = static_cast<int>(i);
      ++count;
    }
  return count == 1 ? index : -1;
}

// The rows of a parameter table: a knob of one band, found by its class in
// the chain and named by the band's own field constant, or a control of the
// effect itself.
template <class Chain>
struct KnobsOf {
  template <class Band>
  static constexpr ParameterInfo knob(const char* name, int field) {
    constexpr int index = chainIndexOf<Band>(static_cast<const Chain*>(nullptr));
    static_assert(index >= 0, "the band must occur exactly once in the chain");
    return {name, ParameterRole::Band, index, field};
  }
};
constexpr ParameterInfo effectControl(const char* name, ParameterRole role) { return {name, role, -1, 0}; }

}  // namespace sorvane
