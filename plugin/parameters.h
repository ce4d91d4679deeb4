// A product's parameter table: what each host parameter is called, which
// part of the effect it drives and how its value reads for people.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>

#include "dsp/circuit.h"

namespace sorvane {

enum class ParameterRole {
  OnOff,   // 0.0 processes, any other value bypasses
  Band,    // normalised knob position handed to both channel objects of a band
  Phase,   // 0.0 keeps the polarity, any other value inverts
  Output,  // -20 dB at 0.0 to +20 dB at 1.0, linear in dB
};

// The effect's own switches act only at exactly 0.0: On / Off processes and
// Phase keeps the polarity there; any other value, NaN included, bypasses
// or inverts.
constexpr bool effectSwitchAtRest(float value) { return value == 0.0f; }

// The gain scale printed around every gain knob and Output: -20 dB at 0.0 to
// +20 dB at 1.0, linear in the value.
inline constexpr float kGainScaleMinimum = -20.0f;  // dB
inline constexpr float kGainScaleMaximum = 20.0f;   // dB

// A gain value held to the knobs' range, NaN read as the centre, as Output's
// gain and the bands' gain tapers read it.
float heldGainValue(float value);

// How a parameter's value reads for people (see plugin/units.h).
enum class ScaleKind {
  SteppedFrequency,  // a band's frequency switch: the positions printed around its knob
  Decibels,          // the printed gain scale
  Bandwidth,         // a Q switch: "Normal" or "Hi-Q"
  Peak,              // a shelf's peak switch: "Shelf" or "Peak"
  OnOff,             // "On" at 0.0, "Off" otherwise
  Phase,             // "0°" at 0.0, "180°" otherwise
};

struct ParameterScale {
  ScaleKind kind;
  const dsp::SteppedSwitch* frequencySwitch = nullptr;  // SteppedFrequency: the switch the band reads
};

constexpr ParameterScale steppedFrequency(const dsp::SteppedSwitch& bandSwitch) {
  return {ScaleKind::SteppedFrequency, &bandSwitch};
}
inline constexpr ParameterScale kDecibelScale{ScaleKind::Decibels};
inline constexpr ParameterScale kBandwidthSwitch{ScaleKind::Bandwidth};
inline constexpr ParameterScale kPeakSwitch{ScaleKind::Peak};

struct ParameterInfo {
  const char* name;
  ParameterRole role;
  int band;   // chain index of the band (Band role only, else -1)
  int field;  // parameter field inside that band object
  ParameterScale scale;
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
  static constexpr ParameterInfo knob(const char* name, int field, ParameterScale scale) {
    constexpr int index = chainIndexOf<Band>(static_cast<const Chain*>(nullptr));
    static_assert(index >= 0, "the band must occur exactly once in the chain");
    return {name, ParameterRole::Band, index, field, scale};
  }
};
constexpr ParameterInfo effectControl(const char* name, ParameterRole role) {
  const ScaleKind kind = role == ParameterRole::OnOff   ? ScaleKind::OnOff
                         : role == ParameterRole::Phase ? ScaleKind::Phase
                                                        : ScaleKind::Decibels;
  return {name, role, -1, 0, {kind}};
}

}  // namespace sorvane
