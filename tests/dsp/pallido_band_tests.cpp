#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "dsp/pallido_bands.h"
#include "filter_response.h"

namespace sorvane::dsp::pallido {
namespace {

using response::analogResponse;
using response::decibels;
using response::digitalResponse;
using response::expectReferenceCoefficients;
using response::kRatesOfEveryClass;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct FrequencySwitch {
  std::vector<float> values;  // one inside every interval, off first, then values outside them all
  float firstPosition;        // lower bound of position 1
};
const FrequencySwitch kShelfSwitch{{0.1f, 0.3f, 0.5f, 0.7f, 0.9f, 1.0f, 2.0f, -0.5f, kNaN}, 0.2f};
const FrequencySwitch kMidSwitch{
    {0.05f, 0.15f, 0.25f, 0.35f, 0.45f, 0.55f, 0.65f, 0.75f, 0.85f, 0.95f, 1.0f, -1.0f, kNaN}, 0.1f};
const std::vector<float> kSwitchValues{0.0f, 1.0f};  // peak or Q: off/wide, on/narrow
const std::vector<float> kGains{0.0f, 0.02f, 0.1f, 0.25f, 0.4f, 0.5f, 0.6f, 0.75f, 0.9f, 0.98f, 1.0f};

std::string where(const char* band, float frequency, float switchValue, float gain, float rate) {
  return std::string(band) + " at (" + std::to_string(frequency) + ", " + std::to_string(switchValue) + ", " +
         std::to_string(gain) + ") and " + std::to_string(rate) + " Hz";
}

template <int N>
bool same(const CoefficientSet<N>& x, const CoefficientSet<N>& y) {
  return x.a0 == y.a0 && x.a == y.a && x.b == y.b && x.outputGain == y.outputGain;
}

// Runs visit(name, frequency switch, compute) for all four bands.
template <typename Visit>
void forEachBand(Visit&& visit) {
  visit("high shelf", kShelfSwitch, computeHighShelf);
  visit("low shelf", kShelfSwitch, computeLowShelf);
  visit("high mid", kMidSwitch, computeHighMid);
  visit("low mid", kMidSwitch, computeLowMid);
}

// The highest level of a response between two frequencies and where it is.
template <typename Response>
std::pair<double, double> peakOf(Response&& response, double lowHz, double highHz) {
  std::pair<double, double> best{-1e300, 0.0};
  for (double f = lowHz; f < highHz; f *= 1.001) best = std::max(best, {decibels(response(f)), f});
  return best;
}

// Where a monotonic stretch of a response crosses a level, by bisection.
template <typename Response>
double crossing(Response&& response, double level, double lowHz, double highHz) {
  const bool risingThrough = decibels(response(lowHz)) < level;
  for (int i = 0; i < 100; ++i) {
    const double mid = std::sqrt(lowHz * highHz);
    ((decibels(response(mid)) < level) == risingThrough ? lowHz : highHz) = mid;
  }
  return lowHz;
}

TEST(PallidoReference, coefficients_agree_to_nine_significant_digits) {
  expectReferenceCoefficients<3>(computeHighShelf(0.3f, 1.0f, 1.0f, 44100.0f), {-2.40231994, 1.9790815, -0.574856719},
                                 {-2.66757893, 4.06989887, -0.311502573, -1.09272221}, "high shelf, peak, boost");
  expectReferenceCoefficients<3>(computeLowShelf(0.5f, 0.0f, 0.25f, 44100.0f), {-1.88183722, 0.884887342, 0.0},
                                 {-0.999469225, 1.88289877, -0.884356567, 0.0}, "low shelf, no peak");
  expectReferenceCoefficients<2>(computeHighMid(0.55f, 1.0f, 0.9f, 96000.0f), {-1.83307484, 0.876768142},
                                 {-1.26289765, 1.83307484, -0.613870494}, "high mid at 96 kHz");
  expectReferenceCoefficients<2>(computeLowMid(0.45f, 0.0f, 0.25f, 44100.0f), {-1.79377588, 0.796570335},
                                 {-0.948115281, 1.79377588, -0.848455054}, "low mid, wide");
}

TEST(PallidoBands, every_setting_at_every_rate_gives_finite_stable_coefficients_and_output_gain_one) {
  forEachBand([](const char* band, const FrequencySwitch& frequencySwitch, auto compute) {
    for (float rate : kRatesOfEveryClass)
      for (float frequency : frequencySwitch.values)
        for (float switchValue : kSwitchValues)
          for (float gain : kGains) {
            const auto set = compute(frequency, switchValue, gain, rate);
            const std::string context = where(band, frequency, switchValue, gain, rate);
            EXPECT_TRUE(response::allFinite(set)) << context;
            EXPECT_TRUE(response::polesInsideUnitCircle(set)) << context << " " << response::describe(set);
            EXPECT_EQ(set.outputGain, 1.0) << context;
          }
  });
}

// Exactly -1: b0 = -1 and every other numerator coefficient the negated
// denominator one. NaN and values beyond 0..1 read through the clamped taper.
TEST(PallidoBands, a_centred_or_nan_gain_gives_exactly_minus_one_everywhere) {
  forEachBand([](const char* band, const FrequencySwitch& frequencySwitch, auto compute) {
    for (float rate : kRatesOfEveryClass)
      for (float frequency : frequencySwitch.values)
        for (float switchValue : kSwitchValues)
          for (float gain : {0.5f, kNaN}) {
            const auto set = compute(frequency, switchValue, gain, rate);
            const std::string context = where(band, frequency, switchValue, gain, rate);
            EXPECT_EQ(set.b[0], -1.0) << context;
            for (std::size_t k = 0; k < set.a.size(); ++k) EXPECT_EQ(set.b[k + 1], -set.a[k]) << context;
          }
    EXPECT_TRUE(same(compute(0.5f, 1.0f, 7.0f, 48000.0f), compute(0.5f, 1.0f, 1.0f, 48000.0f))) << band;
    EXPECT_TRUE(same(compute(0.5f, 1.0f, -2.0f, 48000.0f), compute(0.5f, 1.0f, 0.0f, 48000.0f))) << band;
  });
}

TEST(PallidoBands, gains_v_and_one_minus_v_give_mirror_responses_in_decibels) {
  forEachBand([](const char* band, const FrequencySwitch& frequencySwitch, auto compute) {
    for (float rate : {44100.0f, 96000.0f, 192000.0f})
      for (float frequency : frequencySwitch.values)
        for (float switchValue : kSwitchValues)
          for (float gain : {0.0f, 0.1f, 0.33f, 0.45f}) {
            const auto cut = compute(frequency, switchValue, gain, rate);
            const auto boost = compute(frequency, switchValue, 1.0f - gain, rate);
            for (double f = 20.0; f < rate / 2.0; f *= 1.5)
              EXPECT_NEAR(decibels(digitalResponse(cut, f, rate)), -decibels(digitalResponse(boost, f, rate)), 1e-3)
                  << where(band, frequency, switchValue, gain, rate) << " at " << f << " Hz";
          }
  });
}

TEST(PallidoBands, off_positions_are_the_inverted_bypass_and_outside_values_the_top_position) {
  forEachBand([](const char* band, const FrequencySwitch& frequencySwitch, auto compute) {
    using Set = decltype(compute(0.0f, 0.0f, 0.0f, 0.0f));
    const float firstBound = frequencySwitch.firstPosition;
    for (float off : {0.0f, std::nextafter(firstBound, 0.0f)})
      EXPECT_TRUE(same(compute(off, 1.0f, 0.9f, 44100.0f), Set::invertedBypass())) << band << " " << off;
    EXPECT_FALSE(same(compute(firstBound, 1.0f, 0.9f, 44100.0f), Set::invertedBypass())) << band;

    const auto top = compute(1.0f, 1.0f, 0.9f, 96000.0f);
    EXPECT_FALSE(same(compute(std::nextafter(1.0f, 0.0f), 1.0f, 0.9f, 96000.0f), top)) << band;
    for (float outside : {2.0f, -0.5f, -std::numeric_limits<float>::infinity(), kNaN})
      EXPECT_TRUE(same(compute(outside, 1.0f, 0.9f, 96000.0f), top)) << band << " " << outside;
  });
}

TEST(PallidoBands, peak_and_q_switches_are_on_for_any_value_above_zero_only) {
  forEachBand([](const char* band, const FrequencySwitch&, auto compute) {
    const auto on = compute(0.5f, 1.0f, 0.8f, 44100.0f);
    const auto off = compute(0.5f, 0.0f, 0.8f, 44100.0f);
    EXPECT_FALSE(same(on, off)) << band;
    for (float value : {0.001f, 0.01f, 1e-30f, 5.0f})
      EXPECT_TRUE(same(compute(0.5f, value, 0.8f, 44100.0f), on)) << band << " " << value;
    for (float value : {-0.0f, -0.01f, -5.0f, kNaN})
      EXPECT_TRUE(same(compute(0.5f, value, 0.8f, 44100.0f), off)) << band << " " << value;
  });
  // The peak capacitor raises a shelf's order from 2 to 3.
  EXPECT_NE(computeHighShelf(0.5f, 1.0f, 0.8f, 44100.0f).a[2], 0.0);
  EXPECT_EQ(computeHighShelf(0.5f, 0.0f, 0.8f, 44100.0f).a[2], 0.0);
  EXPECT_EQ(computeHighShelf(0.5f, 0.0f, 0.8f, 44100.0f).b[3], 0.0);
}

// Documented levels: the first shelf positions' analog responses (levels
// +-0.1 dB; half-boost points and bell peaks within 5 % of the named
// frequency) and the fifth mid positions at 44.1 kHz (+-0.05 dB).
TEST(PallidoBands, full_boost_reaches_the_documented_levels_and_full_cut_mirrors_them) {
  const auto highShelf = *highShelfCircuit(0.3f, 0.0f, 1.0f, 44100.0f);
  EXPECT_NEAR(decibels(analogResponse(highShelf, 1e7)), 20.4, 0.1);
  const auto high = [&](double f) { return analogResponse(highShelf, f); };
  EXPECT_NEAR(crossing(high, decibels(high(1e7)) / 2.0, 100.0, 1e5), 1100.0, 55.0);
  const auto highPeak = *highShelfCircuit(0.3f, 1.0f, 1.0f, 44100.0f);
  const auto [highLevel, highAt] = peakOf([&](double f) { return analogResponse(highPeak, f); }, 20.0, 1e6);
  EXPECT_NEAR(highLevel, 19.1, 0.1);
  EXPECT_NEAR(highAt, 3300.0, 165.0);
  EXPECT_LT(decibels(analogResponse(highPeak, 100000.0)), 1.0);  // falls back above the bell

  const auto lowShelf = *lowShelfCircuit(0.3f, 0.0f, 1.0f);
  EXPECT_NEAR(decibels(analogResponse(lowShelf, 0.01)), 20.4, 0.1);  // "near +20 dB"
  const auto low = [&](double f) { return analogResponse(lowShelf, f); };
  EXPECT_NEAR(crossing(low, decibels(low(0.01)) / 2.0, 1.0, 1e4), 110.0, 5.5);
  const auto lowPeak = *lowShelfCircuit(0.3f, 1.0f, 1.0f);
  const auto [lowLevel, lowAt] = peakOf([&](double f) { return analogResponse(lowPeak, f); }, 0.1, 20000.0);
  EXPECT_NEAR(lowLevel, 19.0, 0.1);
  EXPECT_NEAR(lowAt, 34.0, 1.7);
  EXPECT_LT(decibels(analogResponse(lowPeak, 1.0)), 1.0);  // falls back below the bell

  struct Mid {
    CoefficientSet<2> (*compute)(float, float, float, float);
    double centre, narrow, wide;
  };
  for (const Mid& mid : {Mid{computeHighMid, 3300.0, 18.0, 11.4}, Mid{computeLowMid, 470.0, 20.1, 12.4}})
    for (float q : {1.0f, 0.0f}) {
      const double boost = decibels(digitalResponse(mid.compute(0.55f, q, 1.0f, 44100.0f), mid.centre, 44100.0));
      const double cut = decibels(digitalResponse(mid.compute(0.55f, q, 0.0f, 44100.0f), mid.centre, 44100.0));
      EXPECT_NEAR(boost, q > 0.0f ? mid.narrow : mid.wide, 0.05) << mid.centre << " Hz, q " << q;
      EXPECT_NEAR(cut, -boost, 1e-3) << mid.centre << " Hz, q " << q;
    }
}

// At full boost or cut a low-shelf pot half is 0 ohm; at the nominal order
// its recursion would carry an undamped Nyquist pole that rounding keeps
// ringing. The response stays the analog one and an impulse dies away.
TEST(PallidoBands, low_shelf_at_full_boost_or_cut_keeps_its_response_and_an_impulse_dies_away) {
  for (float peak : kSwitchValues)
    for (float gain : {0.0f, 1.0f}) {
      const auto analog = *lowShelfCircuit(0.3f, peak, gain);
      const auto set = computeLowShelf(0.3f, peak, gain, 44100.0f);
      for (double f : {20.0, 200.0, 2000.0, 20000.0}) {
        const double warped = 44100.0 / std::numbers::pi * std::tan(std::numbers::pi * f / 44100.0);
        EXPECT_NEAR(std::abs(digitalResponse(set, f, 44100.0) - analogResponse(analog, warped)), 0.0, 1e-9)
            << "peak " << peak << " gain " << gain << " at " << f << " Hz";
      }
      LowShelf band;
      band.setParameterValue(LowShelf::kFrequency, 0.3f);
      band.setParameterValue(LowShelf::kPeak, peak);
      band.setParameterValue(LowShelf::kGain, gain);
      band.calculateCoefficients();
      double y = 0.0;
      for (int n = 0; n < 200000; ++n) {
        y = n == 0 ? 1.0 : 0.0;
        band.process(y);
      }
      // Dead, apart from the guard's offset and its rounding residue (an
      // undamped Nyquist mode would still ring near 1e-17).
      EXPECT_LT(std::abs(band.heldOutput()), 1e-30) << "peak " << peak << " gain " << gain;
    }
}

TEST(PallidoBands, new_bands_of_every_class_invert_the_signal_after_their_first_update) {
  HighShelf highShelf;
  LowShelf lowShelf;
  HighMid highMid;
  LowMid lowMid;
  std::vector<Band<3, 3, true>*> shelves{&highShelf, &lowShelf};
  std::vector<Band<2, 3, false>*> mids{&highMid, &lowMid};
  EXPECT_EQ(highShelf.parameterValue(HighShelf::kGain), 0.5f);
  EXPECT_EQ(lowMid.parameterValue(LowMid::kQ), 0.0f);
  highShelf.calculateCoefficients();
  lowShelf.calculateCoefficients();
  highMid.calculateCoefficients();
  lowMid.calculateCoefficients();
  const auto check = [](CommonBase& band, int crossfade) {
    for (int n = 0; n < crossfade + 100; ++n) {
      double y = std::sin(n * 0.1) * 0.5;
      const double x = y;
      band.process(y);
      if (n >= crossfade) {
        ASSERT_EQ(y, -x) << "sample " << n;
      }
    }
  };
  for (auto* band : shelves) {
    EXPECT_EQ(band->outputGain(), 1.0);
    check(*band, band->crossfadeLength());
  }
  for (auto* band : mids) check(*band, band->crossfadeLength());
}

}  // namespace
}  // namespace sorvane::dsp::pallido
