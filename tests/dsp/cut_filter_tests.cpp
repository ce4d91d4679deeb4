#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "dsp/cut_filters.h"
#include "filter_response.h"

namespace sorvane::dsp {
namespace {

using response::agreesToSignificantDigits;
using response::digitalResponse;
using response::expectReferenceCoefficients;

using Compute = std::function<CoefficientSet<3>(float, float)>;

struct CutFilter {
  const char* name;
  Compute compute;
  bool lowPass;
  std::vector<float> activeValues;  // one value inside each active position
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const CutFilter kCutFilters[] = {
    {"tessaro high cut", tessaro::computeHighCut, true, {0.1f, 0.3f, 0.5f, 0.7f, 0.9f}},
    {"tessaro low cut", tessaro::computeLowCut, false, {0.3f, 0.6f, 0.8f, 1.0f}},
    {"pallido high cut", pallido::computeHighCut, true, {0.1f, 0.3f, 0.5f, 0.7f, 0.9f}},
    {"pallido low cut", pallido::computeLowCut, false, {0.3f, 0.5f, 0.7f, 0.9f, 1.0f}},
};

std::string where(const char* name, float value, float rate) {
  return std::string(name) + " at v=" + std::to_string(value) + ", " + std::to_string(rate) + " Hz";
}

// Pass-band gain: DC for a low-pass, Nyquist for a high-pass (where the
// bilinear transform puts s = infinity).
double passBandGain(const CoefficientSet<3>& set, bool lowPass, float rate) {
  return std::abs(digitalResponse(set, lowPass ? 0.0 : rate / 2.0, rate));
}

bool sameCoefficients(const CoefficientSet<3>& x, const CoefficientSet<3>& y) {
  return x.a0 == y.a0 && x.a == y.a && x.b == y.b && x.outputGain == y.outputGain;
}

TEST(CutFilterReference, tessaro_high_cut_at_position_1_and_44100_hz) {
  const CoefficientSet<3> set = tessaro::computeHighCut(0.1f, 44100.0f);
  expectReferenceCoefficients<3>(set, {-1.67867144, 1.26923443, -0.380157616},
                                 {0.0158845641, 0.0476536924, 0.0476536924, 0.0158845641}, "tessaro high cut");
  EXPECT_EQ(set.outputGain, 1.656);
}

TEST(CutFilterReference, tessaro_low_cut_at_position_1_and_44100_hz) {
  expectReferenceCoefficients<3>(tessaro::computeLowCut(0.3f, 44100.0f), {-2.98698649, 2.9740323, -0.987045601},
                                 {0.600244446, -1.80073334, 1.80073334, -0.600244446}, "tessaro low cut");
}

TEST(CutFilterReference, pallido_high_cut_at_position_3_and_48000_hz) {
  expectReferenceCoefficients<3>(pallido::computeHighCut(0.5f, 48000.0f), {-0.54172707, 0.255310959, 0.00500109493},
                                 {0.0898231229, 0.269469369, 0.269469369, 0.0898231229}, "pallido high cut");
}

TEST(CutFilterReference, pallido_low_cut_at_position_2_and_48000_hz) {
  expectReferenceCoefficients<3>(pallido::computeLowCut(0.5f, 48000.0f), {-2.98885101, 2.97775498, -0.988903859},
                                 {0.994438731, -2.98331619, 2.98331619, -0.994438731}, "pallido low cut");
}

TEST(CutFilter, every_position_at_every_rate_class_gives_finite_coefficients_and_stable_poles) {
  for (const CutFilter& filter : kCutFilters)
    for (float rate : response::kRatesOfEveryClass)
      for (float v : filter.activeValues) {
        const CoefficientSet<3> set = filter.compute(v, rate);
        EXPECT_TRUE(response::allFinite(set)) << where(filter.name, v, rate);
        EXPECT_TRUE(response::polesInsideUnitCircle(set))
            << where(filter.name, v, rate) << " " << response::describe(set);
      }
}

TEST(CutFilter, off_positions_pass_the_signal_unchanged_with_gain_one) {
  const CoefficientSet<3> identity = CoefficientSet<3>::identity();
  for (float rate : {44100.0f, 96000.0f}) {
    for (float v : {1.0f, 1.5f, -0.1f, kNaN}) {
      EXPECT_TRUE(sameCoefficients(tessaro::computeHighCut(v, rate), identity)) << v;
      EXPECT_TRUE(sameCoefficients(pallido::computeHighCut(v, rate), identity)) << v;
    }
    for (float v : {0.0f, 0.1f, std::nextafter(0.25f, 0.0f)})
      EXPECT_TRUE(sameCoefficients(tessaro::computeLowCut(v, rate), identity)) << v;
    for (float v : {0.0f, 0.1f, std::nextafter(0.2f, 0.0f)})
      EXPECT_TRUE(sameCoefficients(pallido::computeLowCut(v, rate), identity)) << v;
  }
}

TEST(CutFilter, values_outside_the_low_cut_switch_select_its_highest_position) {
  for (float v : {1.5f, -0.1f, kNaN}) {
    EXPECT_TRUE(sameCoefficients(tessaro::computeLowCut(v, 44100.0f), tessaro::computeLowCut(1.0f, 44100.0f))) << v;
    EXPECT_TRUE(sameCoefficients(pallido::computeLowCut(v, 44100.0f), pallido::computeLowCut(1.0f, 44100.0f))) << v;
  }
}

TEST(CutFilter, interval_bounds_belong_to_the_position_above_them) {
  EXPECT_TRUE(sameCoefficients(tessaro::computeHighCut(0.2f, 44100.0f), tessaro::computeHighCut(0.3f, 44100.0f)));
  EXPECT_FALSE(sameCoefficients(tessaro::computeHighCut(0.2f, 44100.0f), tessaro::computeHighCut(0.1f, 44100.0f)));
  EXPECT_TRUE(sameCoefficients(pallido::computeHighCut(0.2f, 44100.0f), pallido::computeHighCut(0.3f, 44100.0f)));
  EXPECT_TRUE(sameCoefficients(tessaro::computeLowCut(0.25f, 44100.0f), tessaro::computeLowCut(0.3f, 44100.0f)));
  EXPECT_TRUE(sameCoefficients(pallido::computeLowCut(0.2f, 44100.0f), pallido::computeLowCut(0.3f, 44100.0f)));
}

TEST(CutFilter, tessaro_make_up_gain_restores_the_ladder_pass_band_to_unity) {
  // 12200/20200 and 2900/4800 times 1.656.
  for (float rate : response::kRatesOfEveryClass) {
    for (float v : kCutFilters[0].activeValues)
      EXPECT_NEAR(passBandGain(tessaro::computeHighCut(v, rate), true, rate), 1.656 * 12200.0 / 20200.0, 1e-12)
          << where("tessaro high cut", v, rate);
    for (float v : kCutFilters[1].activeValues)
      EXPECT_NEAR(passBandGain(tessaro::computeLowCut(v, rate), false, rate), 1.656 * 2900.0 / 4800.0, 1e-12)
          << where("tessaro low cut", v, rate);
  }
  EXPECT_NEAR(1.656 * 12200.0 / 20200.0, 1.0001, 1e-4);
  EXPECT_NEAR(1.656 * 2900.0 / 4800.0, 1.0005, 1e-4);
}

TEST(CutFilter, pallido_active_positions_have_exactly_unity_pass_band_gain) {
  for (float rate : response::kRatesOfEveryClass) {
    for (float v : kCutFilters[2].activeValues) {
      const CoefficientSet<3> set = pallido::computeHighCut(v, rate);
      EXPECT_NEAR(passBandGain(set, true, rate), 1.0, 1e-9) << where("pallido high cut", v, rate);
      EXPECT_EQ(set.outputGain, 1.0);
    }
    for (float v : kCutFilters[3].activeValues)
      EXPECT_NEAR(passBandGain(pallido::computeLowCut(v, rate), false, rate), 1.0, 1e-9)
          << where("pallido low cut", v, rate);
  }
}

// The corners listed for each position, checked at 44.1, 48, 88.2 and
// 96 kHz. Tolerance: 3 % for the high cuts (their rate variants keep the
// corner only approximately in place), 2 % for the low cuts.
TEST(CutFilter, minus_three_decibel_points_lie_near_the_listed_corners) {
  struct Corners {
    const CutFilter& filter;
    std::vector<std::pair<double, double>> ranges;  // listed corner, lowest..highest
    double tolerance;
  };
  const Corners corners[] = {
      {kCutFilters[0], {{6000, 6000}, {8000, 8000}, {10000, 10000}, {14000, 14000}, {18000, 18000}}, 0.03},
      {kCutFilters[1], {{40, 40}, {67, 67}, {137, 137}, {264, 264}}, 0.02},
      {kCutFilters[2], {{3900, 3900}, {5500, 5500}, {8100, 8100}, {11700, 11700}, {16000, 18000}}, 0.03},
      {kCutFilters[3], {{27, 27}, {46, 46}, {84, 84}, {151, 151}, {278, 278}}, 0.02},
  };
  for (const Corners& c : corners) {
    for (float rate : {44100.0f, 48000.0f, 88200.0f, 96000.0f}) {
      for (size_t p = 0; p < c.ranges.size(); ++p) {
        const float v = c.filter.activeValues[p];
        const CoefficientSet<3> set = c.filter.compute(v, rate);
        const double gain = passBandGain(set, c.filter.lowPass, rate);
        const double corner = c.filter.lowPass ? response::minusThreeDecibelPoint(set, rate, gain, 10.0, rate * 0.4999)
                                               : response::minusThreeDecibelPoint(set, rate, gain, 1.0, 5000.0);
        EXPECT_GE(corner, c.ranges[p].first * (1.0 - c.tolerance)) << where(c.filter.name, v, rate);
        EXPECT_LE(corner, c.ranges[p].second * (1.0 + c.tolerance)) << where(c.filter.name, v, rate);
      }
    }
  }
}

TEST(CutFilter, tessaro_high_cut_changes_its_highest_two_positions_between_88200_and_96000_hz_only) {
  // Positions 1 to 3 share one component set in the two top rate classes.
  for (float v : {0.1f, 0.3f, 0.5f}) {
    const CoefficientSet<3> at88 = tessaro::computeHighCut(v, 88200.0f);
    const CoefficientSet<3> at96 = tessaro::computeHighCut(v, 96000.0f);
    // Same analog network: the digital responses agree at the warped frequencies.
    const double f88 = 5000.0;
    const double f96 =
        96000.0 / std::numbers::pi * std::atan(std::tan(std::numbers::pi * f88 / 88200.0) * 88200.0 / 96000.0);
    EXPECT_NEAR(std::abs(digitalResponse(at88, f88, 88200.0) - digitalResponse(at96, f96, 96000.0)), 0.0, 1e-9) << v;
  }
  for (float v : {0.7f, 0.9f}) {
    const CoefficientSet<3> at88 = tessaro::computeHighCut(v, 88200.0f);
    const CoefficientSet<3> at96 = tessaro::computeHighCut(v, 96000.0f);
    const double f88 = 12000.0;
    const double f96 =
        96000.0 / std::numbers::pi * std::atan(std::tan(std::numbers::pi * f88 / 88200.0) * 88200.0 / 96000.0);
    EXPECT_GT(std::abs(digitalResponse(at88, f88, 88200.0) - digitalResponse(at96, f96, 96000.0)), 1e-3) << v;
  }
}

TEST(CutFilterBand, runs_its_position_after_an_update_and_passes_audio_unchanged_when_off) {
  tessaro::HighCut highCut;
  EXPECT_EQ(highCut.parameterValue(tessaro::HighCut::kFrequency), 0.0f);
  highCut.setParameterValue(tessaro::HighCut::kFrequency, 1.0f);
  highCut.calculateCoefficients();
  EXPECT_EQ(highCut.outputGain(), 1.0);
  for (int n = 0; n < 2000; ++n) {
    const double x = std::sin(n * 0.05) * 0.5;
    double y = x;
    highCut.process(y);
    // After the first crossfade only the denormal guard's offset is left over.
    if (n >= highCut.crossfadeLength()) {
      EXPECT_NEAR(y, x, 1e-19) << "sample " << n;
    }
  }

  pallido::LowCut lowCut;
  lowCut.setSampleRate(48000.0f);
  lowCut.setParameterValue(pallido::LowCut::kFrequency, 0.5f);
  lowCut.calculateCoefficients();
  expectReferenceCoefficients<3>(lowCut.coefficients(), {-2.98885101, 2.97775498, -0.988903859},
                                 {0.994438731, -2.98331619, 2.98331619, -0.994438731}, "pallido low cut band");
  EXPECT_EQ(lowCut.crossfadeLength(), 512);
}

}  // namespace
}  // namespace sorvane::dsp
