#include "dsp/cut_filters.h"

#include <array>

#include "dsp/circuit.h"

namespace sorvane::dsp {

namespace tessaro {

namespace {

// Ladder components: L = inductance base * L factor, C1 and C2 =
// capacitance base * their factors; factors per rate class S1..S4.
struct LadderPosition {
  double inductanceBase;                        // H
  double capacitanceBase;                       // F
  PerRateClass<std::array<double, 3>> factors;  // {L, C1, C2}
};

constexpr std::array<LadderPosition, 5> kHighCutPositions{{
    {0.2, 5.8e-9, {{{1.192, 0.616, 1.256}, {1.192, 0.68, 1.294}, {1.268, 0.68, 1.308}, {1.268, 0.68, 1.308}}}},
    {0.16, 4.7e-9, {{{1.012, 0.602, 1.18}, {1.064, 0.616, 1.18}, {1.116, 0.666, 1.256}, {1.116, 0.666, 1.256}}}},
    {0.1, 5.5e-9, {{{1.206, 0.358, 0.756}, {1.23, 0.372, 0.782}, {1.384, 0.424, 0.872}, {1.384, 0.424, 0.872}}}},
    {0.08, 3.3e-9, {{{0.794, 0.346, 0.794}, {0.872, 0.358, 0.834}, {1.076, 0.474, 1.064}, {1.128, 0.474, 1.064}}}},
    {0.05, 3.3e-9, {{{0.526, 0.114, 0.34}, {0.718, 0.142, 0.41}, {1.334, 0.23, 0.654}, {1.436, 0.23, 0.654}}}},
}};

struct TeePosition {
  double c1;  // F
  double c2;  // F
  double l;   // H
};

// Switch positions 1..4; the last is also taken by every value outside the
// switch's intervals.
constexpr std::array<TeePosition, 4> kLowCutPositions{{
    {5.9e-7, 1.808e-6, 10.76},
    {3.1302e-7, 8.6198e-7, 7.0},
    {1.496e-7, 3.102e-7, 3.15},
    {9.34e-8, 1.692e-7, 1.3806},
}};

// Make-up for the ladders' pass-band loss (12200/20200 and 2900/4800).
constexpr double kMakeUpGain = 1.656;

}  // namespace

static_assert(oneRowPerPosition(kHighCutSwitch, kHighCutPositions));
static_assert(oneRowPerPosition(kLowCutSwitch, kLowCutPositions));

CoefficientSet<3> computeHighCut(float frequency, float sampleRate) {
  const std::optional<LadderPosition> p = positionRow(switchSetting(kHighCutSwitch, frequency), kHighCutPositions);
  if (!p) return CoefficientSet<3>::identity();

  const std::array<double, 3>& f = forRate(p->factors, sampleRate);
  const double L = p->inductanceBase * f[0];
  const double C1 = p->capacitanceBase * f[1];
  const double C2 = p->capacitanceBase * f[2];

  AnalogTransferFunction<3> analog;
  analog.denominator = {
      20200.0,
      8000.0 * 12200.0 * (C1 + C2) + L,
      L * (12200.0 * C2 + 8000.0 * C1),
      8000.0 * 12200.0 * L * C1 * C2,
  };
  analog.numerator = {12200.0, 0.0, 0.0, 0.0};
  CoefficientSet<3> set = bilinearTransform(analog, sampleRate);
  set.outputGain = kMakeUpGain;
  return set;
}

CoefficientSet<3> computeLowCut(float frequency, float sampleRate) {
  const std::optional<TeePosition> p = positionRow(switchSetting(kLowCutSwitch, frequency), kLowCutPositions);
  if (!p) return CoefficientSet<3>::identity();
  const double C1 = p->c1;
  const double C2 = p->c2;
  const double L = p->l;

  AnalogTransferFunction<3> analog;
  analog.denominator = {
      1.0,
      2900.0 * C2 + 1900.0 * C1,
      1900.0 * 2900.0 * C1 * C2 + L * C1 + L * C2,
      2900.0 * L * C1 * C2 + 1900.0 * C1 * C2 * L,
  };
  analog.numerator = {0.0, 0.0, 0.0, 2900.0 * L * C1 * C2};
  CoefficientSet<3> set = bilinearTransform(analog, sampleRate);
  set.outputGain = kMakeUpGain;
  return set;
}

}  // namespace tessaro

namespace pallido {

namespace {

struct ActiveLowPassPosition {
  std::array<double, 3> resistanceBase;         // R1, R2, R3 in ohms
  PerRateClass<std::array<double, 3>> factors;  // f1, f2, f3
};

constexpr std::array<ActiveLowPassPosition, 5> kHighCutPositions{{
    {{5790.0, 8000.0, 8670.0}, {{{0.698, 0.8, 1.248}, {0.716, 0.8, 1.264}, {0.82, 1.0, 1.15}, {0.84, 1.0, 1.15}}}},
    {{3990.0, 5600.0, 5970.0}, {{{0.698, 0.8, 1.248}, {0.716, 0.8, 1.264}, {0.82, 1.0, 1.15}, {0.84, 1.0, 1.15}}}},
    {{2690.0, 3800.0, 3970.0}, {{{0.622, 0.8, 1.188}, {0.66, 0.8, 1.208}, {0.82, 1.0, 1.15}, {0.84, 1.0, 1.15}}}},
    {{1870.0, 2600.0, 2770.0}, {{{0.378, 0.32, 1.264}, {0.426, 0.32, 1.32}, {0.66, 1.0, 1.15}, {0.68, 1.0, 1.15}}}},
    {{1250.0, 1780.0, 1670.0}, {{{0.002, 0.92, 0.002}, {0.02, 0.92, 0.02}, {0.51, 1.0, 1.114}, {0.56, 1.0, 1.15}}}},
}};

constexpr double kHighCutC1 = 3.3e-9;  // F, two of them
constexpr double kHighCutC2 = 1e-8;    // F

// Switch positions 1..5; the last is also taken by every value outside the
// switch's intervals.
constexpr std::array<std::array<double, 3>, 5> kLowCutResistances{{
    {30192.0, 44399.2, 77927.2},
    {18892.8, 27087.8, 46059.8},
    {8800.0, 14141.4, 24723.4},
    {4900.0, 7900.0, 13700.0},
    {2700.0, 4300.0, 7500.0},
}};

constexpr double kLowCutC1 = 1.5e-7;          // F, three equal capacitors
constexpr double kLowCutC1Cubed = 3.375e-21;  // kLowCutC1^3, exact

}  // namespace

static_assert(oneRowPerPosition(kHighCutSwitch, kHighCutPositions));
static_assert(oneRowPerPosition(kLowCutSwitch, kLowCutResistances));

CoefficientSet<3> computeHighCut(float frequency, float sampleRate) {
  const std::optional<ActiveLowPassPosition> p =
      positionRow(switchSetting(kHighCutSwitch, frequency), kHighCutPositions);
  if (!p) return CoefficientSet<3>::identity();

  const std::array<double, 3>& f = forRate(p->factors, sampleRate);
  const double R1 = p->resistanceBase[0] * f[0];
  const double R2 = p->resistanceBase[1] * f[1];
  const double R3 = p->resistanceBase[2] * f[2];
  const double C1 = kHighCutC1;
  const double C2 = kHighCutC2;

  AnalogTransferFunction<3> analog;
  analog.denominator = {
      1.0,
      C1 * (R1 + R2 + R3),
      C1 * C1 * R2 * (R1 + R3) + C1 * C2 * R1 * R3,
      C1 * C1 * C2 * R1 * R2 * R3,
  };
  analog.numerator = {1.0, 0.0, 0.0, 0.0};
  return bilinearTransform(analog, sampleRate);
}

CoefficientSet<3> computeLowCut(float frequency, float sampleRate) {
  const std::optional<std::array<double, 3>> r =
      positionRow(switchSetting(kLowCutSwitch, frequency), kLowCutResistances);
  if (!r) return CoefficientSet<3>::identity();
  const double R1 = (*r)[0];
  const double R2 = (*r)[1];
  const double R3 = (*r)[2];
  const double C1 = kLowCutC1;

  AnalogTransferFunction<3> analog;
  analog.denominator = {
      1.0,
      C1 * (2.0 * R1 + R2),
      C1 * C1 * R1 * (R3 + 2.0 * R2),
      kLowCutC1Cubed * R1 * R2 * R3,
  };
  analog.numerator = {0.0, 0.0, 0.0, kLowCutC1Cubed * R1 * R2 * R3};
  return bilinearTransform(analog, sampleRate);
}

}  // namespace pallido

}  // namespace sorvane::dsp
