#pragma once

// Tessaro's tone-control bands: both shelves in one stage (HighLow) and the
// parametric mid (Mid). Each models an inverting amplifier stage whose
// transfer function has the mirror form
//
//   H(s) = B(s) / A(s),  B(s; halves) = -A(s; halves exchanged)
//
// where the halves are those of the boost/cut potentiometers. A centred
// gain knob gives exactly -1 at every frequency, boost and cut are mirror
// images in dB, and the off positions are the inverted bypass (b0 = -1),
// which sounds like the stage at its centre setting.
//
// Design runs in two pure steps: knob positions and sample rate give the
// analog transfer function (*Circuit, empty at the off positions), which
// the bilinear transform turns into the digital set (compute*). The band
// classes only run compute* inside the band record's update frame.

#include <array>
#include <optional>

#include "dsp/band.h"
#include "dsp/bilinear.h"
#include "dsp/circuit.h"
#include "dsp/cut_filters.h"
#include "dsp/gain_taper.h"

namespace sorvane::dsp::tessaro {

// --- HighLow -------------------------------------------------------------
//
// One tone-control stage: a treble network (two equal Ct, 10 kohm pot Rt1/Rt2)
// and a bass network (two equal Cb, 50 kohm pot Rb1/Rb2). Treble switch:
// off below 1/3, then Ct = 33, 22, 10 nF (10 nF for 1.0 and above). Bass
// switch: off below 0.25, then Cb = 200, 100, 47, 15 nF (15 nF for 1.0 and
// above). Switching a network out lowers the order: both 4, treble only 2,
// bass only 3; both out, or a negative or NaN switch value, is the bypass.
// The denominator listings are in dsp/tessaro_shelf_polynomials.h.

// The frequency switches: above their off interval, at or above 1.0 the last
// position; a negative or NaN value is off, and it takes the other network
// out with it (the stage is bypassed).
inline constexpr std::array<float, 4> kHighFrequencyBounds{0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f};
inline constexpr SteppedSwitch kHighFrequencySwitch{kHighFrequencyBounds, true, OutsideIntervals::LastAboveOffBelow};
inline constexpr std::array<float, 5> kLowFrequencyBounds{0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
inline constexpr SteppedSwitch kLowFrequencySwitch{kLowFrequencyBounds, true, OutsideIntervals::LastAboveOffBelow};

enum class ShelfCase { Bypass, TrebleOnly, BassOnly, Both };

struct ShelfComponents {
  ShelfCase circuitCase = ShelfCase::Bypass;
  double ct = 0.0;              // F, 0 while the treble network is out
  double cb = 0.0;              // F, 0 while the bass network is out
  double rt1 = 0.0, rt2 = 0.0;  // treble potentiometer halves, ohms
  double rb1 = 0.0, rb2 = 0.0;  // bass potentiometer halves, ohms
};

ShelfComponents highLowComponents(float highFrequency, float highGain, float lowFrequency, float lowGain);

// The stage's analog transfer function (order 2, 3 or 4); empty for the bypass.
std::optional<AnalogTransferFunction<4>> highLowCircuit(const ShelfComponents& components);

CoefficientSet<4> computeHighLow(float highFrequency, float highGain, float lowFrequency, float lowGain,
                                 float sampleRate);

class HighLow : public Band<4, 4, false> {
 public:
  static constexpr int kHighFrequency = 0;
  static constexpr int kHighGain = 1;
  static constexpr int kLowFrequency = 2;
  static constexpr int kLowGain = 3;

  HighLow() : Band({0.0f, 0.5f, 0.0f, 0.5f}) {}

  void calculateCoefficients() {
    updateCoefficients([this] {
      const auto v = parameterSnapshot();
      return computeHighLow(v[kHighFrequency], v[kHighGain], v[kLowFrequency], v[kLowGain], sampleRate_);
    });
  }
};

// --- Mid -----------------------------------------------------------------
//
// Inverting stage with a series resonant branch (Cm, X) chosen by a
// six-position frequency switch (350 Hz, 700 Hz, 1.6, 3.2, 4.8, 7.2 kHz;
// off below 1/6; 7.2 kHz for 1.0 and above, negative and NaN), a 10 kohm
// boost/cut pot (Ra, Rb) and a damping resistor RQ: 2700 ohm (narrow) for a
// Q value above 0, 6800 ohm (wide) otherwise.
//   A(s) = 6800 (Ra + Rb) + 6800 Cm (6800 Rb + Ra Rb + 2*8200 Rb + RQ Ra + RQ Rb) s
//          + 6800 Cm X (Ra + Rb) s^2
//   B(s) = -A(s) with Ra and Rb exchanged
// Several positions scale Cm and X with the rate class to keep the digital
// centre frequency in place.

inline constexpr std::array<float, 7> kMidFrequencyBounds{0.0f,        1.0f / 6.0f, 1.0f / 3.0f, 0.5f,
                                                          2.0f / 3.0f, 5.0f / 6.0f, 1.0f};
inline constexpr SteppedSwitch kMidFrequencySwitch{kMidFrequencyBounds, true, OutsideIntervals::LastPosition};

struct MidComponents {
  bool active = false;
  double cm = 0.0;            // F
  double x = 0.0;             // inductance of the resonant branch
  double rq = 0.0;            // ohms
  double ra = 0.0, rb = 0.0;  // potentiometer halves, ohms
};

MidComponents midComponents(float frequency, float q, float gain, float sampleRate);

std::optional<AnalogTransferFunction<2>> midCircuit(const MidComponents& components);

CoefficientSet<2> computeMid(float frequency, float q, float gain, float sampleRate);

class Mid : public Band<2, 3, false> {
 public:
  static constexpr int kFrequency = 0;
  static constexpr int kQ = 1;
  static constexpr int kGain = 2;

  Mid() : Band({0.0f, 0.0f, 0.5f}) {}

  void calculateCoefficients() {
    updateCoefficients([this] {
      const auto v = parameterSnapshot();
      return computeMid(v[kFrequency], v[kQ], v[kGain], sampleRate_);
    });
  }
};

}  // namespace sorvane::dsp::tessaro
