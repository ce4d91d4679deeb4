#include "dsp/tessaro_bands.h"

#include <array>

#include "dsp/circuit.h"
#include "dsp/tessaro_shelf_polynomials.h"

namespace sorvane::dsp::tessaro {

namespace {

// Switch positions 1..3; the last also for every value at 1.0 and above.
constexpr std::array<double, 3> kTrebleCapacitance{3.3e-8, 2.2e-8, 1e-8};
static_assert(oneRowPerPosition(kHighFrequencySwitch, kTrebleCapacitance));

// Switch positions 1..4; the last also for every value at 1.0 and above.
constexpr std::array<double, 4> kBassCapacitance{2e-7, 1e-7, 4.7e-8, 1.5e-8};
static_assert(oneRowPerPosition(kLowFrequencySwitch, kBassCapacitance));

constexpr float kTreblePotentiometer = 10000.0f;  // ohms
constexpr float kBassPotentiometer = 50000.0f;    // ohms

double evaluate(std::span<const shelf::Monomial> terms, const std::array<double, shelf::kVariableCount>& values) {
  double sum = 0.0;
  for (const shelf::Monomial& monomial : terms) {
    double term = monomial.coefficient;
    for (int v = 0; v < shelf::kVariableCount; ++v)
      for (int e = 0; e < monomial.powers[v]; ++e) term = term * values[v];
    sum = sum + term;
  }
  return sum;
}

}  // namespace

ShelfComponents highLowComponents(float highFrequency, float highGain, float lowFrequency, float lowGain) {
  const std::optional<double> ct = positionRow(switchSetting(kHighFrequencySwitch, highFrequency), kTrebleCapacitance);
  const std::optional<double> cb = positionRow(switchSetting(kLowFrequencySwitch, lowFrequency), kBassCapacitance);
  // A negative or NaN switch value takes the whole stage out, not only its
  // own network.
  const bool readable = highFrequency >= 0.0f && lowFrequency >= 0.0f;

  ShelfComponents c;
  if (!readable || (!ct && !cb)) return c;
  c.circuitCase = ct && cb ? ShelfCase::Both : ct ? ShelfCase::TrebleOnly : ShelfCase::BassOnly;
  c.ct = ct.value_or(0.0);
  c.cb = cb.value_or(0.0);

  const PotentiometerHalves treblePot =
      potentiometerHalves(gainTaper(highGain, kHighShelfGainTaper), kTreblePotentiometer);
  const PotentiometerHalves bassPot = potentiometerHalves(gainTaper(lowGain, kLowShelfGainTaper), kBassPotentiometer);
  c.rt1 = treblePot.first;
  c.rt2 = treblePot.second;
  c.rb1 = bassPot.first;
  c.rb2 = bassPot.second;
  return c;
}

std::optional<AnalogTransferFunction<4>> highLowCircuit(const ShelfComponents& c) {
  const shelf::Listing* listing = nullptr;
  AnalogTransferFunction<4> analog;
  switch (c.circuitCase) {
    case ShelfCase::Bypass:
      return std::nullopt;
    case ShelfCase::TrebleOnly:
      listing = &shelf::kTrebleOnly;
      analog.order = 2;
      break;
    case ShelfCase::BassOnly:
      listing = &shelf::kBassOnly;
      analog.order = 3;
      break;
    case ShelfCase::Both:
      listing = &shelf::kBoth;
      analog.order = 4;
      break;
  }
  const std::array<double, shelf::kVariableCount> values{c.ct, c.cb, c.rt1, c.rt2, c.rb1, c.rb2};
  const std::array<double, shelf::kVariableCount> exchanged{c.ct, c.cb, c.rt2, c.rt1, c.rb2, c.rb1};
  for (int k = 0; k <= analog.order; ++k) {
    analog.denominator[k] = evaluate((*listing)[k], values);
    analog.numerator[k] = -evaluate((*listing)[k], exchanged);
  }
  return analog;
}

CoefficientSet<4> computeHighLow(float highFrequency, float highGain, float lowFrequency, float lowGain,
                                 float sampleRate) {
  const auto analog = highLowCircuit(highLowComponents(highFrequency, highGain, lowFrequency, lowGain));
  if (!analog) return CoefficientSet<4>::invertedBypass();
  return bilinearTransform(*analog, sampleRate);
}

namespace {

// Rate-class correction factors f1, f3, f4, f5, f6.
enum MidFactor : int { kNone = -1, kF1 = 0, kF3, kF4, kF5, kF6 };
constexpr std::array<PerRateClass<double>, 5> kMidFactors{{
    {1.014, 1.014, 1.014, 1.012},
    {0.998, 1.0, 0.998, 1.0},
    {0.99, 0.992, 1.004, 1.004},
    {1.036, 1.044, 1.07, 1.072},
    {0.916, 0.928, 0.982, 0.984},
}};

struct ResonantBranch {
  double cmBase;  // F
  double xBase;
  MidFactor factor;  // scales both, or none
};

// Positions 1..6 (350 Hz .. 7.2 kHz); the last also for every value outside
// the switch's intervals.
constexpr std::array<ResonantBranch, 6> kMidPositions{{
    {1e-7, 2.0, kF1},
    {4.935e-8, 1.05, kNone},
    {2.2e-8, 0.45, kF3},
    {1.22e-8, 0.2, kF4},
    {4.7e-9, 0.2, kF5},
    {2.42e-9, 0.2, kF6},
}};
static_assert(oneRowPerPosition(kMidFrequencySwitch, kMidPositions));

constexpr double kNarrowDamping = 2700.0;  // ohms
constexpr double kWideDamping = 6800.0;    // ohms
constexpr float kMidPotentiometer = 10000.0f;

}  // namespace

MidComponents midComponents(float frequency, float q, float gain, float sampleRate) {
  MidComponents c;
  const std::optional<ResonantBranch> branch =
      positionRow(switchSetting(kMidFrequencySwitch, frequency), kMidPositions);
  if (!branch) return c;

  c.active = true;
  c.cm = branch->cmBase;
  c.x = branch->xBase;
  if (branch->factor != kNone) {
    const double f = forRate(kMidFactors[branch->factor], sampleRate);
    c.cm = branch->cmBase * f;
    c.x = branch->xBase * f;
  }
  const bool narrow = switchOn(q);
  c.rq = narrow ? kNarrowDamping : kWideDamping;
  const PotentiometerHalves pot =
      potentiometerHalves(gainTaper(gain, narrow ? kMidNarrowGainTaper : kMidWideGainTaper), kMidPotentiometer);
  c.ra = pot.first;
  c.rb = pot.second;
  return c;
}

std::optional<AnalogTransferFunction<2>> midCircuit(const MidComponents& c) {
  if (!c.active) return std::nullopt;
  const double Cm = c.cm, X = c.x, RQ = c.rq, Ra = c.ra, Rb = c.rb;
  AnalogTransferFunction<2> analog;
  analog.order = 2;
  analog.denominator = {
      6800.0 * (Ra + Rb),
      6800.0 * Cm * (6800.0 * Rb + Ra * Rb + 2.0 * 8200.0 * Rb + RQ * Ra + RQ * Rb),
      6800.0 * Cm * X * (Ra + Rb),
  };
  analog.numerator = {
      -6800.0 * (Ra + Rb),
      -(6800.0 * Cm * (Ra * Rb + 2.0 * 8200.0 * Ra + RQ * Ra + RQ * Rb + 6800.0 * Ra)),
      -(6800.0 * Cm * X * (Ra + Rb)),
  };
  return analog;
}

CoefficientSet<2> computeMid(float frequency, float q, float gain, float sampleRate) {
  const auto analog = midCircuit(midComponents(frequency, q, gain, sampleRate));
  if (!analog) return CoefficientSet<2>::invertedBypass();
  return bilinearTransform(*analog, sampleRate);
}

}  // namespace sorvane::dsp::tessaro
