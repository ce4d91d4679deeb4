#include "dsp/pallido_bands.h"

#include <array>

#include "dsp/gain_taper.h"

namespace sorvane::dsp::pallido {

namespace {

constexpr PerRateClass<double> kUnchanged{1.0, 1.0, 1.0, 1.0};
constexpr float kPotentiometer = 10000.0f;  // ohms, the boost/cut pot of every stage

// ---------------------------------------------------------------------------
// Shelves

// The shelving stage's fixed resistors: 15 k to the summing node, 620 ohm
// to each end of the pot. Every constant of the polynomials folds these two.
constexpr double kSummingResistor = 15000.0;
constexpr double kEndResistor = 620.0;
constexpr double kRr = kSummingResistor * kEndResistor;
constexpr double k2Rr = 2.0 * kSummingResistor * kEndResistor;
constexpr double kRRplusRr = kSummingResistor * kSummingResistor + kSummingResistor * kEndResistor;
constexpr double kRRplus2Rr = kSummingResistor * kSummingResistor + 2.0 * kSummingResistor * kEndResistor;
constexpr double kRRrPlusRrr =
    kSummingResistor * kSummingResistor * kEndResistor + kSummingResistor * kEndResistor * kEndResistor;
// Written out, they are the decimal factors of the expanded polynomials;
// both forms are exact doubles.
static_assert(kRr == 9300000.0 && k2Rr == 18600000.0);
static_assert(kRRplusRr == 234300000.0 && kRRplus2Rr == 243600000.0);
static_assert(kRRrPlusRrr == 1.45266e11 && 2.0 * kRRrPlusRrr == 2.90532e11);

struct ShelfPosition {
  double cxBase;  // F
  PerRateClass<double> cxFactor;
  double cyBase;  // F
  PerRateClass<double> cyFactor;
};

// Switch positions 1..5; the last also takes every value outside the
// switch's intervals.
constexpr std::array<ShelfPosition, 5> kHighShelfPositions{{
    {7.7472e-8, kUnchanged, 7.84056e-9, kUnchanged},
    {5.46e-8, kUnchanged, 4.98e-9, {1.094, 1.094, 1.112, 1.112}},
    {3.5e-8, {1.036, 1.036, 1.038, 1.038}, 3.48e-9, {1.076, 1.076, 1.114, 1.114}},
    {2.405e-8, kUnchanged, 2.48e-9, {0.83, 0.85, 1.056, 1.056}},
    {1.5e-8, kUnchanged, 1.8e-9, {0.38, 0.49, 0.924, 0.944}},
}};

constexpr std::array<ShelfCapacitors, 5> kLowShelfPositions{{
    {7.75e-7, 3.2e-6},
    {4.6992e-7, 1.8598e-6},
    {2.7135e-7, 1.09752e-6},
    {1.5075e-7, 6.017e-7},
    {7.82e-8, 3.4254e-7},
}};
static_assert(oneRowPerPosition(kShelfFrequencySwitch, kHighShelfPositions));
static_assert(oneRowPerPosition(kShelfFrequencySwitch, kLowShelfPositions));

// Denominator of the high shelf; the numerator is its negation with Ra and
// Rb exchanged.
std::array<double, 4> highShelfDenominator(double ra, double rb, const ShelfCapacitors& c, bool peak) {
  const double cx = c.cx;
  const double cy = c.cy;
  std::array<double, 4> a{};
  a[0] = kSummingResistor;
  a[1] = cx * (kSummingResistor * ra + kSummingResistor * rb + kRRplus2Rr);
  a[2] = cx * cx * (kSummingResistor * ra * rb + kRr * ra + kRRplusRr * rb + kRRrPlusRrr);
  if (peak) {
    a[1] = a[1] + k2Rr * cy;
    a[2] = a[2] + cx * cy * (k2Rr * ra + k2Rr * rb + 2.0 * kRRrPlusRrr);
    a[3] = cx * cx * cy * (k2Rr * ra * rb + kRRrPlusRrr * ra + kRRrPlusRrr * rb);
  }
  return a;
}

std::array<double, 4> lowShelfDenominator(double ra, double rb, const ShelfCapacitors& c, bool peak) {
  const double cx = c.cx;
  const double cy = c.cy;
  std::array<double, 4> a{};
  if (!peak) {
    a[0] = kSummingResistor * ra * rb + kRr * ra + kRRplusRr * rb + kRRrPlusRrr;
    a[1] = cx * (kRRplus2Rr * ra * rb + kRRrPlusRrr * ra + kRRrPlusRrr * rb);
    a[2] = kRRrPlusRrr * cx * cx * ra * rb;
  } else {
    a[0] = kSummingResistor * ra + kSummingResistor * rb + k2Rr;
    a[1] = cx * (2.0 * kSummingResistor * ra * rb + k2Rr * ra + k2Rr * rb) +
           cy * (kSummingResistor * ra * rb + kRr * ra + kRRplusRr * rb + kRRrPlusRrr);
    a[2] = k2Rr * cx * cx * ra * rb + cx * cy * (kRRplus2Rr * ra * rb + kRRrPlusRrr * ra + kRRrPlusRrr * rb);
    a[3] = kRRrPlusRrr * cx * cx * cy * ra * rb;
  }
  return a;
}

template <typename Denominator>
AnalogTransferFunction<3> mirroredStage(Denominator denominator, float position, const ShelfCapacitors& c, bool peak) {
  const auto [ra, rb] = potentiometerHalves(position, kPotentiometer);
  AnalogTransferFunction<3> analog;
  analog.order = peak ? 3 : 2;
  analog.denominator = denominator(ra, rb, c, peak);
  const std::array<double, 4> exchanged = denominator(rb, ra, c, peak);
  for (int i = 0; i < 4; ++i) analog.numerator[i] = -exchanged[i];
  return analog;
}

// ---------------------------------------------------------------------------
// Mids

constexpr double kMidSummingResistor = 30000.0;

struct MidPosition {
  double cmBase;  // F
  PerRateClass<double> cmFactor;
  double xBase;  // H
  PerRateClass<double> xFactor;
  double rd;  // ohm
};

// One factor k scales both Cm and X of a high-mid position.
constexpr MidPosition highMid(double cm, double x, PerRateClass<double> k) { return {cm, k, x, k, 0.0}; }

constexpr std::array<MidPosition, 10> kHighMidPositions{{
    highMid(1.5e-8, 0.76, {0.99, 0.99, 0.992, 0.992}),    // 1.5 kHz
    highMid(1e-8, 0.76, {1.008, 1.008, 1.01, 1.01}),      // 1.8 kHz
    highMid(6.8e-9, 0.76, {0.998, 0.998, 1.004, 1.004}),  // 2.2 kHz
    highMid(6.8e-9, 0.5, {0.998, 1.0, 1.004, 1.004}),     // 2.7 kHz
    highMid(4.7e-9, 0.5, {0.974, 0.978, 0.988, 0.99}),    // 3.3 kHz
    highMid(3.3e-9, 0.5, {0.98, 0.982, 0.998, 1.0}),      // 3.9 kHz
    highMid(3.9e-9, 0.3, {0.954, 0.962, 0.982, 0.984}),   // 4.7 kHz
    highMid(2.7e-9, 0.3, {0.944, 0.952, 0.984, 0.986}),   // 5.6 kHz
    highMid(2.7e-9, 0.2, {0.926, 0.938, 0.986, 0.988}),   // 6.8 kHz
    highMid(1.8e-9, 0.2, {0.902, 0.922, 0.992, 0.996}),   // 8.2 kHz
}};

constexpr PerRateClass<double> kLowMidK{1.024, 1.024, 1.026, 1.026};
constexpr PerRateClass<double> kLowMidKPrime{1.006, 1.006, 1.008, 1.008};

constexpr std::array<MidPosition, 10> kLowMidPositions{{
    {1.004e-7, kUnchanged, 5.1204, kUnchanged, 3000.0},    // 220 Hz
    {6.8136e-8, kUnchanged, 5.1102, kUnchanged, 3000.0},   // 270 Hz
    {4.653e-8, kUnchanged, 5.049, kUnchanged, 3000.0},     // 330 Hz
    {4.7094e-8, kUnchanged, 3.507, kUnchanged, 3300.0},    // 390 Hz
    {3.3e-8, kUnchanged, 3.5, kUnchanged, 3300.0},         // 470 Hz
    {2.2e-8, kLowMidK, 3.5, kLowMidK, 3300.0},             // 560 Hz
    {2.63262e-8, kUnchanged, 2.0706, kUnchanged, 3300.0},  // 680 Hz
    {1.77e-8, kLowMidKPrime, 2.1, kUnchanged, 3300.0},     // 820 Hz
    {1.81902e-8, kUnchanged, 1.3916, kUnchanged, 3600.0},  // 1 kHz
    {1.23952e-8, kUnchanged, 1.4224, kUnchanged, 3600.0},  // 1.2 kHz
}};
static_assert(oneRowPerPosition(kMidFrequencySwitch, kHighMidPositions));
static_assert(oneRowPerPosition(kMidFrequencySwitch, kLowMidPositions));

struct BandwidthSetting {
  double damping;  // RQ, ohm
  const GainTaperTable* taper;
};

constexpr BandwidthSetting kHighMidNarrow{4300.0, &kHighMidNarrowGainTaper};
constexpr BandwidthSetting kHighMidWide{11100.0, &kHighMidWideGainTaper};
// The low mid's narrow setting has no damping resistor: Rd and the pot set
// its bandwidth alone.
constexpr BandwidthSetting kLowMidNarrow{0.0, &kLowMidNarrowGainTaper};
constexpr BandwidthSetting kLowMidWide{6200.0, &kLowMidWideGainTaper};

bool narrow(float q) { return switchOn(q); }

std::optional<ResonantBranch> midBranch(float frequency, float sampleRate,
                                        const std::array<MidPosition, 10>& positions) {
  const std::optional<MidPosition> position = positionRow(switchSetting(kMidFrequencySwitch, frequency), positions);
  if (!position) return std::nullopt;
  return ResonantBranch{position->cmBase * forRate(position->cmFactor, sampleRate),
                        position->xBase * forRate(position->xFactor, sampleRate), position->rd};
}

std::array<double, 3> midDenominator(double ra, double rb, const ResonantBranch& branch, double damping) {
  const double series = branch.rd + damping;
  return {
      kMidSummingResistor * (ra + rb),
      kMidSummingResistor * branch.cm * (ra * rb + series * (ra + rb) + kMidSummingResistor * rb),
      kMidSummingResistor * branch.cm * branch.x * (ra + rb),
  };
}

std::optional<AnalogTransferFunction<2>> midCircuit(const std::optional<ResonantBranch>& branch,
                                                    const BandwidthSetting& bandwidth, float gain) {
  if (!branch) return std::nullopt;
  const auto [ra, rb] = potentiometerHalves(gainTaper(gain, *bandwidth.taper), kPotentiometer);
  AnalogTransferFunction<2> analog;
  analog.denominator = midDenominator(ra, rb, *branch, bandwidth.damping);
  const std::array<double, 3> exchanged = midDenominator(rb, ra, *branch, bandwidth.damping);
  for (int i = 0; i < 3; ++i) analog.numerator[i] = -exchanged[i];
  return analog;
}

// The bilinear transform at the stage's order, after one repair: at full
// boost or cut a pot half is 0 ohm, and in the low shelf that shorts a
// capacitor, so A and B both lose their top coefficient. Transformed at the
// nominal order, both then carry a common factor (1 + z^-1): a pole exactly
// on the unit circle at Nyquist, cancelled only on paper, whose undamped
// mode rounding keeps alive. Dropping the vanished order gives the same
// response with every pole inside the circle.
template <int M>
CoefficientSet<M> transformStage(AnalogTransferFunction<M> analog, float sampleRate) {
  while (analog.order > 1 && analog.denominator[analog.order] == 0.0 && analog.numerator[analog.order] == 0.0)
    --analog.order;
  return bilinearTransform(analog, sampleRate);
}

}  // namespace

bool peakSwitchOn(float peak) { return switchOn(peak); }

std::optional<ShelfCapacitors> highShelfCapacitors(float frequency, float sampleRate) {
  const std::optional<ShelfPosition> position =
      positionRow(switchSetting(kShelfFrequencySwitch, frequency), kHighShelfPositions);
  if (!position) return std::nullopt;
  return ShelfCapacitors{position->cxBase * forRate(position->cxFactor, sampleRate),
                         position->cyBase * forRate(position->cyFactor, sampleRate)};
}

std::optional<ShelfCapacitors> lowShelfCapacitors(float frequency) {
  return positionRow(switchSetting(kShelfFrequencySwitch, frequency), kLowShelfPositions);
}

std::optional<AnalogTransferFunction<3>> highShelfCircuit(float frequency, float peak, float gain, float sampleRate) {
  const std::optional<ShelfCapacitors> c = highShelfCapacitors(frequency, sampleRate);
  if (!c) return std::nullopt;
  return mirroredStage(highShelfDenominator, gainTaper(gain, kHighShelfGainTaper), *c, peakSwitchOn(peak));
}

std::optional<AnalogTransferFunction<3>> lowShelfCircuit(float frequency, float peak, float gain) {
  const std::optional<ShelfCapacitors> c = lowShelfCapacitors(frequency);
  if (!c) return std::nullopt;
  return mirroredStage(lowShelfDenominator, gainTaper(gain, kLowShelfGainTaper), *c, peakSwitchOn(peak));
}

CoefficientSet<3> computeHighShelf(float frequency, float peak, float gain, float sampleRate) {
  const std::optional<AnalogTransferFunction<3>> analog = highShelfCircuit(frequency, peak, gain, sampleRate);
  if (!analog) return CoefficientSet<3>::invertedBypass();
  return transformStage(*analog, sampleRate);
}

CoefficientSet<3> computeLowShelf(float frequency, float peak, float gain, float sampleRate) {
  const std::optional<AnalogTransferFunction<3>> analog = lowShelfCircuit(frequency, peak, gain);
  if (!analog) return CoefficientSet<3>::invertedBypass();
  return transformStage(*analog, sampleRate);
}

std::optional<ResonantBranch> highMidBranch(float frequency, float sampleRate) {
  return midBranch(frequency, sampleRate, kHighMidPositions);
}

std::optional<ResonantBranch> lowMidBranch(float frequency, float sampleRate) {
  return midBranch(frequency, sampleRate, kLowMidPositions);
}

double highMidDamping(float q) { return (narrow(q) ? kHighMidNarrow : kHighMidWide).damping; }
double lowMidDamping(float q) { return (narrow(q) ? kLowMidNarrow : kLowMidWide).damping; }

std::optional<AnalogTransferFunction<2>> highMidCircuit(float frequency, float q, float gain, float sampleRate) {
  return midCircuit(highMidBranch(frequency, sampleRate), narrow(q) ? kHighMidNarrow : kHighMidWide, gain);
}

std::optional<AnalogTransferFunction<2>> lowMidCircuit(float frequency, float q, float gain, float sampleRate) {
  return midCircuit(lowMidBranch(frequency, sampleRate), narrow(q) ? kLowMidNarrow : kLowMidWide, gain);
}

CoefficientSet<2> computeHighMid(float frequency, float q, float gain, float sampleRate) {
  const std::optional<AnalogTransferFunction<2>> analog = highMidCircuit(frequency, q, gain, sampleRate);
  if (!analog) return CoefficientSet<2>::invertedBypass();
  return transformStage(*analog, sampleRate);
}

CoefficientSet<2> computeLowMid(float frequency, float q, float gain, float sampleRate) {
  const std::optional<AnalogTransferFunction<2>> analog = lowMidCircuit(frequency, q, gain, sampleRate);
  if (!analog) return CoefficientSet<2>::invertedBypass();
  return transformStage(*analog, sampleRate);
}

}  // namespace sorvane::dsp::pallido
