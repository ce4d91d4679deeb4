#pragma once

// The outermost bands of both equalisers: third-order (18 dB per octave)
// high-cut (low-pass) and low-cut (high-pass) filters whose frequency knob is
// a switch selecting one fixed analog network or the off position.
//
// Tessaro models passive inductor-capacitor ladders with a make-up output
// gain of 1.656 for the ladder's pass-band loss; Pallido models unity-gain
// active resistor-capacitor stages. Several positions change component
// values with the sample-rate class so the digital corner stays in place.
// The off position passes the signal unchanged (identity set, gain 1.0).
//
// Each class is a third-order band record with one parameter (frequency
// position) and an output gain; all four share the record's operations and
// differ only in calculateCoefficients.

#include <array>

#include "dsp/band.h"
#include "dsp/bilinear.h"
#include "dsp/circuit.h"

namespace sorvane::dsp {

// Shared record and operations of every cut filter.
class CutFilterBand : public Band<3, 1, true> {
 public:
  static constexpr int kFrequency = 0;

 protected:
  CutFilterBand() : Band({0.0f}) {}
};

// A cut filter is its shared record plus one circuit: each circuit function
// makes a class of its own.
template <CoefficientSet<3> (*Compute)(float frequency, float sampleRate)>
class CutFilter : public CutFilterBand {
 public:
  void calculateCoefficients() {
    updateCoefficients([this] { return Compute(parameterValue(kFrequency), sampleRate_); });
  }
};

// Five positions in steps of 0.2 from 0 up to 1.
inline constexpr std::array<float, 6> kFifthSteps{0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f};

namespace tessaro {

// The frequency switches.
inline constexpr SteppedSwitch kHighCutSwitch{kFifthSteps, false, OutsideIntervals::Off};
inline constexpr std::array<float, 5> kLowCutBounds{0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
inline constexpr SteppedSwitch kLowCutSwitch{kLowCutBounds, true, OutsideIntervals::LastPosition};

// Pi network: 8000 ohm source, shunt C1, series L, shunt C2, 12200 ohm load.
//   A(s) = 20200 + (8000*12200*(C1 + C2) + L) s + L (12200 C2 + 8000 C1) s^2
//          + 8000*12200 L C1 C2 s^3,  B(s) = 12200
// Positions 1..5 for 0 <= v < 1 in steps of 0.2 (digital -3 dB near 6, 8,
// 10, 14 and 18 kHz); anything else is off.
CoefficientSet<3> computeHighCut(float frequency, float sampleRate);

// T network: 1900 ohm source, series C1, shunt L, series C2, 2900 ohm load.
//   A(s) = 1 + (2900 C2 + 1900 C1) s + (1900*2900 C1 C2 + L C1 + L C2) s^2
//          + (2900 L C1 C2 + 1900 C1 C2 L) s^3,  B(s) = 2900 L C1 C2 s^3
// Off below 0.25; positions 1..3 up to 1 in steps of 0.25 (-3 dB near 40,
// 67 and 137 Hz); anything else, negative and NaN included, is position 4
// (264 Hz). No sample-rate variants.
CoefficientSet<3> computeLowCut(float frequency, float sampleRate);

using HighCut = CutFilter<computeHighCut>;
using LowCut = CutFilter<computeLowCut>;

}  // namespace tessaro

namespace pallido {

// The frequency switches.
inline constexpr SteppedSwitch kHighCutSwitch{kFifthSteps, false, OutsideIntervals::Off};
inline constexpr SteppedSwitch kLowCutSwitch{kFifthSteps, true, OutsideIntervals::LastPosition};

// Unity-gain active low-pass, C1 = 3.3 nF (two), C2 = 10 nF, R1..R3 per
// position and rate class:
//   A(s) = 1 + C1 (R1 + R2 + R3) s + (C1^2 R2 (R1 + R3) + C1 C2 R1 R3) s^2
//          + C1^2 C2 R1 R2 R3 s^3,  B(s) = 1
// Positions 1..5 for 0 <= v < 1 in steps of 0.2 (-3 dB near 3.9, 5.5, 8.1,
// 11.7 and 16..18 kHz); anything else is off.
CoefficientSet<3> computeHighCut(float frequency, float sampleRate);

// Unity-gain active high-pass, three equal C1 = 150 nF, R1..R3 per position:
//   A(s) = 1 + C1 (2 R1 + R2) s + C1^2 R1 (R3 + 2 R2) s^2 + C1^3 R1 R2 R3 s^3
//   B(s) = C1^3 R1 R2 R3 s^3
// Off below 0.2; positions 1..4 up to 1 in steps of 0.2 (-3 dB near 27, 46,
// 84 and 151 Hz); anything else, negative and NaN included, is position 5
// (278 Hz). No sample-rate variants.
CoefficientSet<3> computeLowCut(float frequency, float sampleRate);

using HighCut = CutFilter<computeHighCut>;
using LowCut = CutFilter<computeLowCut>;

}  // namespace pallido

}  // namespace sorvane::dsp
