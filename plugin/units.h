// The units model: each parameter's unit and its text both ways, for people
// (the panel's readout and typed values) and for the plug-in formats whose
// hosts show units, value texts, scale points and step counts. It reads the
// product's parameter table, whose band rows name the switch each stepped
// knob's band reads, and the product's printed scales, so a text always
// names the position the band plays and a typed position sets exactly the
// value a click on its printed label sets.
//
//   stepped frequency knobs  the printed position: "OFF", "40 Hz", "4.6 kHz"
//   gains and Output         the printed -20..+20 dB scale: "+3.5 dB", "0.0 dB"
//   Q, peak, On / Off, Phase words: "Hi-Q" / "Normal", "Peak" / "Shelf",
//                            "On" / "Off", "0°" / "180°" (UTF-8)
//
// The host strings of VST 2.4 (getParameterDisplay, getParameterLabel) do not
// come from here: they stay the bare normalised value.
//
// Nothing here allocates, locks, throws or reads past a text; texts go into
// the caller's buffer. Meant for the user-interface thread, safe on any.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "plugin/parameters.h"

namespace sorvane {

enum class Unit { None, Hertz, Decibels };

// "", "Hz" or "dB".
const char* unitSymbol(Unit unit);

// Room for every text the model writes, its terminating NUL included.
inline constexpr std::size_t kValueTextCapacity = 16;

// The value printed position `position` (0 .. count - 1) of a stepped knob
// stands for, as a click on its label or a typed position sets it: step
// position / (count - 1), plus 0.01 so the step's own frame shows, and 1.0
// for the last. A knob of one position has only the first step.
float steppedPositionValue(int position, int count);

inline constexpr int kMaxPrintedPositions = 12;

// The labels printed around one stepped knob, as printed ("OFF", "40",
// "4.6k"), in the panel's order; the unused rest of the row is null.
struct PrintedScale {
  int parameter;
  std::array<const char*, kMaxPrintedPositions> labels;

  constexpr int count() const {
    int n = 0;
    while (n < kMaxPrintedPositions && labels[static_cast<std::size_t>(n)]) ++n;
    return n;
  }
};

struct DecibelRange {
  float minimum;  // dB at 0.0
  float maximum;  // dB at 1.0
};

// One product's model over its tables. A cheap value: two views.
class ParameterUnits {
 public:
  constexpr ParameterUnits(std::span<const ParameterInfo> parameters, std::span<const PrintedScale> scales)
      : parameters_(parameters), scales_(scales) {}

  int parameterCount() const { return static_cast<int>(parameters_.size()); }
  Unit unit(int index) const;

  // The text for a value, NUL-terminated in text. False (and an empty text
  // where there is room) for an index outside the table or a buffer too
  // small; kValueTextCapacity always suffices.
  bool format(int index, float value, std::span<char> text) const;

  // The value for a typed or host text: a number with or without sign and
  // unit ("3.5", "+3.5 dB", "-6db", "4.6k", "4600", "4.6 kHz"), "OFF", or a
  // switch's words, case-insensitive and with surrounding spaces ignored. A
  // frequency picks the nearest printed position on a logarithmic scale, a
  // gain outside the scale its end. Nothing for text that means no value of
  // this parameter.
  std::optional<float> parse(int index, std::string_view text) const;

  // The positions of a stepped knob (its printed scale) or of a switch (two:
  // values 0.0 and 1.0); 0 for a continuous parameter.
  int positionCount(int index) const;
  // The value a position stands for; nothing outside 0 .. positionCount - 1.
  std::optional<float> positionValue(int index, int position) const;
  bool positionText(int index, int position, std::span<char> text) const;
  // The position a value plays (the band's or the effect's own reading of
  // it); -1 for a continuous parameter.
  int positionOf(int index, float value) const;

  // The printed gain scale; nothing for a parameter without one.
  std::optional<DecibelRange> decibelRange(int index) const;

 private:
  const ParameterInfo* row(int index) const;
  const PrintedScale* printedScale(int index) const;

  std::span<const ParameterInfo> parameters_;
  std::span<const PrintedScale> scales_;
};

// The model of a product (tessaro::Product, pallido::Product).
template <class Product>
ParameterUnits unitsOf() {
  return ParameterUnits(Product::kParameters, Product::kPrintedScales);
}

}  // namespace sorvane
