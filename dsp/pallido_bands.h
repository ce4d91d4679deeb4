#pragma once

// Pallido's boost/cut bands: the high and low shelves and the high and low
// mids. Each models one inverting amplifier stage around a 10 kohm boost/cut
// potentiometer whose halves Ra = p * 10 k and Rb = (1 - p) * 10 k come from
// the gain knob through a tabulated taper. The stage is built so that the
// numerator is the negated denominator with Ra and Rb exchanged:
//
//   H(s) = B(s) / A(s),  B(s; Ra, Rb) = -A(s; Rb, Ra)
//
// so a centred knob (Ra = Rb) gives exactly -1 at every frequency, boost and
// cut are mirror images in dB, and the off position is the inverted bypass
// (b0 = -1), which sounds like the stage at its centre setting.
//
// Coefficient design is split in two pure steps: knob positions and sample
// rate give the analog polynomials (the *Circuit functions, which return
// nothing at the off position), and those give the digital set (the
// compute* functions). The band classes only run compute* inside the band
// record's update frame.
//
// Thread contract: as the band record (dsp/band.h). Parameter values may be
// written from any thread; calculateCoefficients and process belong to the
// audio thread (or to the dispatcher while audio is stopped). Nothing here
// allocates, locks or logs.

#include <array>
#include <optional>

#include "dsp/band.h"
#include "dsp/bilinear.h"
#include "dsp/circuit.h"

namespace sorvane::dsp::pallido {

// ---------------------------------------------------------------------------
// Shelves: third-order records with an output gain (always 1.0).
//
// The stage: the input and the output each reach the op-amp's summing node
// through 15 kohm; each end of the pot reaches the input (Rb side) or the
// output (Ra side) through 620 ohm; Cx sits in series with each pot half
// (high shelf) or across it (low shelf). The peak switch adds Cy, across the
// two 620 ohm ends of the pot (high shelf) or between the wiper and the
// summing node (low shelf); it raises the order from 2 to 3 and pulls the
// response back towards 0 dB beyond the boost, turning the shelf into a
// broad bell. Without it the shelf levels off near +-20 dB:
//
//   H = -(r + Za)(R + r + Zb) / ((r + Zb)(R + r + Za)),  R = 15 k, r = 620,
//   Za, Zb = Ra, Rb with Cx in series (high) or across (low).
//
// Frequency switch: off below 0.2, positions 1..4 in steps of 0.2 up to 1,
// and position 5 for everything else (1.0 and above, negative, NaN). The
// high shelf's capacitors vary with the sample-rate class to keep the
// digital response in place; the low shelf's do not.

inline constexpr std::array<float, 6> kShelfFrequencyBounds{0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f};
inline constexpr SteppedSwitch kShelfFrequencySwitch{kShelfFrequencyBounds, true, OutsideIntervals::LastPosition};

struct ShelfCapacitors {
  double cx;  // F
  double cy;  // F, used only with the peak switch on
};

// The switch position's capacitors; nothing at the off position.
std::optional<ShelfCapacitors> highShelfCapacitors(float frequency, float sampleRate);
std::optional<ShelfCapacitors> lowShelfCapacitors(float frequency);

// Peak switch: on for any value greater than 0; 0, negatives and NaN are off.
bool peakSwitchOn(float peak);

// A(s) and B(s) of the stage; the order is 3 with the peak switch on and 2
// without. Nothing at the off position.
std::optional<AnalogTransferFunction<3>> highShelfCircuit(float frequency, float peak, float gain, float sampleRate);
std::optional<AnalogTransferFunction<3>> lowShelfCircuit(float frequency, float peak, float gain);

CoefficientSet<3> computeHighShelf(float frequency, float peak, float gain, float sampleRate);
CoefficientSet<3> computeLowShelf(float frequency, float peak, float gain, float sampleRate);

// Record and operations shared by both shelves: one implementation of the
// virtual slots; the classes differ only in calculateCoefficients.
class ShelfBand : public Band<3, 3, true> {
 public:
  static constexpr int kFrequency = 0;
  static constexpr int kPeak = 1;
  static constexpr int kGain = 2;

 protected:
  ShelfBand() : Band({0.0f, 0.0f, 0.5f}) {}
};

class HighShelf : public ShelfBand {
 public:
  void calculateCoefficients() {
    updateCoefficients([this] {
      return computeHighShelf(parameterValue(kFrequency), parameterValue(kPeak), parameterValue(kGain), sampleRate_);
    });
  }
};

class LowShelf : public ShelfBand {
 public:
  void calculateCoefficients() {
    updateCoefficients([this] {
      return computeLowShelf(parameterValue(kFrequency), parameterValue(kPeak), parameterValue(kGain), sampleRate_);
    });
  }
};

// ---------------------------------------------------------------------------
// Mids: second-order records without output gain.
//
// The stage: input and output reach the summing node through 30 kohm each;
// the pot runs from the input (Rb half) to the output (Ra half) and its
// wiper reaches the summing node through a series resonant branch
// R + sX + 1/(s Cm), R = Rd + RQ:
//
//   A(s) = 30k (Ra + Rb) + 30k Cm (Ra Rb + R (Ra + Rb) + 30k Rb) s
//          + 30k Cm X (Ra + Rb) s^2
//
// The branch's resonance 1/(2 pi sqrt(X Cm)) is the centre; RQ is the
// bandwidth switch (narrow for a Q value greater than 0, wide otherwise,
// NaN included), Rd a series resistor of the low mid's positions.
//
// Frequency switch: off below 0.1, positions 1..9 in steps of 0.1 up to 1,
// and position 10 for everything else (1.0 and above, negative, NaN). The
// centres follow the E12 series (high mid 1.5 to 8.2 kHz, low mid 220 Hz
// to 1.2 kHz); rate-class factors keep the digital centres in place.

inline constexpr std::array<float, 11> kMidFrequencyBounds{0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f,
                                                           0.6f, 0.7f, 0.8f, 0.9f, 1.0f};
inline constexpr SteppedSwitch kMidFrequencySwitch{kMidFrequencyBounds, true, OutsideIntervals::LastPosition};

struct ResonantBranch {
  double cm;  // F
  double x;   // H
  double rd;  // ohm, series resistor (0 in the high mid)
};

// The switch position's branch; nothing at the off position.
std::optional<ResonantBranch> highMidBranch(float frequency, float sampleRate);
std::optional<ResonantBranch> lowMidBranch(float frequency, float sampleRate);

// Damping resistor RQ of the bandwidth switch.
double highMidDamping(float q);
double lowMidDamping(float q);

std::optional<AnalogTransferFunction<2>> highMidCircuit(float frequency, float q, float gain, float sampleRate);
std::optional<AnalogTransferFunction<2>> lowMidCircuit(float frequency, float q, float gain, float sampleRate);

CoefficientSet<2> computeHighMid(float frequency, float q, float gain, float sampleRate);
CoefficientSet<2> computeLowMid(float frequency, float q, float gain, float sampleRate);

// Record and operations shared by both mids.
class MidBand : public Band<2, 3, false> {
 public:
  static constexpr int kFrequency = 0;
  static constexpr int kQ = 1;
  static constexpr int kGain = 2;

 protected:
  MidBand() : Band({0.0f, 0.0f, 0.5f}) {}
};

class HighMid : public MidBand {
 public:
  void calculateCoefficients() {
    updateCoefficients([this] {
      return computeHighMid(parameterValue(kFrequency), parameterValue(kQ), parameterValue(kGain), sampleRate_);
    });
  }
};

class LowMid : public MidBand {
 public:
  void calculateCoefficients() {
    updateCoefficients([this] {
      return computeLowMid(parameterValue(kFrequency), parameterValue(kQ), parameterValue(kGain), sampleRate_);
    });
  }
};

}  // namespace sorvane::dsp::pallido
