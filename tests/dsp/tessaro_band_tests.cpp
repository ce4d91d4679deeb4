#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dsp/tessaro_bands.h"
#include "dsp/tessaro_shelf_polynomials.h"
#include "filter_response.h"

namespace sorvane::dsp::tessaro {
namespace {

using response::decibels;
using response::digitalResponse;
using response::expectReferenceCoefficients;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// One value inside each switch position, off first.
const float kTrebleValues[] = {0.0f, 0.4f, 0.7f, 1.0f};
const float kBassValues[] = {0.0f, 0.3f, 0.6f, 0.8f, 1.0f};
const float kMidValues[] = {0.0f, 0.2f, 0.4f, 0.55f, 0.7f, 0.9f, 1.0f};
const float kGainValues[] = {0.0f, 0.05f, 0.3f, 0.5f, 0.63f, 0.97f, 1.0f};

template <int N>
bool isCentred(const CoefficientSet<N>& set) {
  // b = -(1, a1, ..., aN) exactly: the transfer function is exactly -1.
  if (set.b[0] != -1.0) return false;
  for (int k = 0; k < N; ++k)
    if (set.b[k + 1] != -set.a[k]) return false;
  return true;
}

template <int N>
bool isInvertedBypass(const CoefficientSet<N>& set) {
  const CoefficientSet<N> bypass = CoefficientSet<N>::invertedBypass();
  return set.a0 == bypass.a0 && set.a == bypass.a && set.b == bypass.b;
}

std::string shelfValues(float h, float hg, float l, float lg, float rate) {
  std::ostringstream text;
  text << "values (" << h << ", " << hg << ", " << l << ", " << lg << ") at " << rate << " Hz";
  return text.str();
}

std::string midValues(float f, float q, float g, float rate) {
  std::ostringstream text;
  text << "values (" << f << ", " << q << ", " << g << ") at " << rate << " Hz";
  return text.str();
}

// --- HighLow ---------------------------------------------------------------

TEST(HighLowReference, both_networks_with_treble_boost_and_bass_cut_at_44100_hz) {
  expectReferenceCoefficients<4>(computeHighLow(0.5f, 1.0f, 0.5f, 0.0f, 44100.0f),
                                 {-0.959083155, -0.930017496, 0.962722228, -0.0663434299},
                                 {-7.21060058, 13.1331827, 1.21297604, -13.1336184, 5.99718888}, "high low both");
}

TEST(HighLowReference, treble_only_at_44100_hz) {
  expectReferenceCoefficients<4>(computeHighLow(1.0f, 0.75f, 0.1f, 0.5f, 44100.0f),
                                 {-1.21689344, 0.292469741, 0.0, 0.0}, {-2.20289705, 3.62268753, -1.49536679, 0.0, 0.0},
                                 "high low treble only");
}

TEST(HighLow, centred_gains_give_exactly_minus_one_in_every_case_position_and_rate) {
  for (float rate : response::kRatesOfEveryClass)
    for (float h : kTrebleValues)
      for (float l : kBassValues)
        EXPECT_TRUE(isCentred(computeHighLow(h, 0.5f, l, 0.5f, rate))) << shelfValues(h, 0.5f, l, 0.5f, rate);
}

TEST(HighLow, both_switches_off_or_an_invalid_switch_value_give_the_inverted_bypass) {
  const std::pair<float, float> bypassing[] = {
      {0.0f, 0.0f},  {0.3f, 0.2f}, {-0.1f, 0.6f}, {kNaN, 0.6f},
      {0.7f, -0.1f}, {0.7f, kNaN}, {kNaN, kNaN},  {std::nextafter(1.0f / 3.0f, 0.0f), std::nextafter(0.25f, 0.0f)},
  };
  for (const auto& [h, l] : bypassing)
    EXPECT_TRUE(isInvertedBypass(computeHighLow(h, 1.0f, l, 0.0f, 44100.0f)))
        << shelfValues(h, 1.0f, l, 0.0f, 44100.0f);
}

TEST(HighLow, switches_choose_case_and_capacitors_with_their_lower_bounds_inclusive) {
  struct Expected {
    float h, l;
    ShelfCase circuitCase;
    double ct, cb;
  };
  const Expected cases[] = {
      {1.0f / 3.0f, 0.0f, ShelfCase::TrebleOnly, 3.3e-8, 0.0},
      {2.0f / 3.0f, 0.1f, ShelfCase::TrebleOnly, 2.2e-8, 0.0},
      {1.0f, 0.0f, ShelfCase::TrebleOnly, 1e-8, 0.0},
      {7.0f, 0.0f, ShelfCase::TrebleOnly, 1e-8, 0.0},
      {0.0f, 0.25f, ShelfCase::BassOnly, 0.0, 2e-7},
      {0.2f, 0.5f, ShelfCase::BassOnly, 0.0, 1e-7},
      {0.2f, 0.75f, ShelfCase::BassOnly, 0.0, 4.7e-8},
      {0.2f, 1.0f, ShelfCase::BassOnly, 0.0, 1.5e-8},
      {0.5f, 0.5f, ShelfCase::Both, 3.3e-8, 1e-7},
      {1.0f, 1.0f, ShelfCase::Both, 1e-8, 1.5e-8},
  };
  for (const Expected& e : cases) {
    const ShelfComponents c = highLowComponents(e.h, 0.5f, e.l, 0.5f);
    EXPECT_EQ(c.circuitCase, e.circuitCase) << e.h << ", " << e.l;
    // A network that is out has no capacitor.
    EXPECT_EQ(c.ct, e.ct) << e.h;
    EXPECT_EQ(c.cb, e.cb) << e.l;
  }
}

TEST(HighLow, full_boost_and_full_cut_put_the_wipers_at_the_ends) {
  const ShelfComponents boost = highLowComponents(1.0f, 1.0f, 1.0f, 1.0f);
  EXPECT_EQ(boost.rt1, 10000.0);
  EXPECT_EQ(boost.rt2, 0.0);
  EXPECT_EQ(boost.rb1, 50000.0);
  EXPECT_EQ(boost.rb2, 0.0);
  const ShelfComponents cut = highLowComponents(1.0f, 0.0f, 1.0f, 0.0f);
  EXPECT_EQ(cut.rt1, 0.0);
  EXPECT_EQ(cut.rt2, 10000.0);
  EXPECT_EQ(cut.rb1, 0.0);
  EXPECT_EQ(cut.rb2, 50000.0);
}

TEST(HighLow, gain_values_outside_zero_to_one_act_as_the_nearest_end_and_nan_as_the_centre) {
  for (float rate : {44100.0f, 96000.0f}) {
    const CoefficientSet<4> boost = computeHighLow(0.5f, 1.0f, 0.5f, 1.0f, rate);
    const CoefficientSet<4> over = computeHighLow(0.5f, 3.0f, 0.5f, 1.5f, rate);
    EXPECT_EQ(over.a, boost.a);
    EXPECT_EQ(over.b, boost.b);
    const CoefficientSet<4> cut = computeHighLow(0.5f, 0.0f, 0.5f, 0.0f, rate);
    const CoefficientSet<4> under = computeHighLow(0.5f, -2.0f, 0.5f, -0.5f, rate);
    EXPECT_EQ(under.a, cut.a);
    EXPECT_EQ(under.b, cut.b);
    EXPECT_TRUE(isCentred(computeHighLow(0.5f, kNaN, 0.5f, kNaN, rate)));
  }
}

TEST(HighLow, gain_values_v_and_one_minus_v_give_mirror_responses_in_decibels) {
  for (float h : kTrebleValues)
    for (float l : kBassValues)
      for (float g : kGainValues) {
        const CoefficientSet<4> up = computeHighLow(h, g, l, g, 48000.0f);
        const CoefficientSet<4> down = computeHighLow(h, 1.0f - g, l, 1.0f - g, 48000.0f);
        for (double f : {20.0, 200.0, 1000.0, 5000.0, 16000.0})
          EXPECT_NEAR(decibels(digitalResponse(up, f, 48000.0)), -decibels(digitalResponse(down, f, 48000.0)), 1e-3)
              << shelfValues(h, g, l, g, 48000.0f) << " at " << f << " Hz";
      }
}

// Ct = 10 nF (treble position 3), Cb = 100 nF (bass position 2). Tolerance
// 0.5 dB on the stated levels; the mirror is exact to rounding.
TEST(HighLow, full_boost_reaches_about_18_db_at_10_hz_17_db_at_20_khz_and_minus_2_db_near_1_khz) {
  const auto boost = highLowCircuit(highLowComponents(1.0f, 1.0f, 0.6f, 1.0f));
  const auto cut = highLowCircuit(highLowComponents(1.0f, 0.0f, 0.6f, 0.0f));
  ASSERT_TRUE(boost && cut);
  EXPECT_NEAR(decibels(response::analogResponse(*boost, 10.0)), 18.0, 0.5);
  EXPECT_NEAR(decibels(response::analogResponse(*boost, 20000.0)), 17.0, 0.5);
  double dip = 100.0;
  double dipFrequency = 0.0;
  for (double f = 300.0; f < 3000.0; f *= 1.01) {
    const double level = decibels(response::analogResponse(*boost, f));
    if (level < dip) {
      dip = level;
      dipFrequency = f;
    }
  }
  EXPECT_NEAR(dip, -2.0, 0.5);
  EXPECT_NEAR(dipFrequency, 1000.0, 200.0);
  for (double f : {10.0, 100.0, 1000.0, 10000.0, 20000.0})
    EXPECT_NEAR(decibels(response::analogResponse(*cut, f)), -decibels(response::analogResponse(*boost, f)), 1e-9)
        << f << " Hz";
}

// With the bass wiper at either end (Rb1 or Rb2 zero) the highest analog
// coefficient vanishes, and the transform at the full order leaves a pole
// at Nyquist cancelled by a zero; the reference coefficients show the same.
TEST(HighLow, every_position_at_every_rate_class_gives_finite_coefficients_and_stable_poles) {
  for (float rate : response::kRatesOfEveryClass)
    for (float h : kTrebleValues)
      for (float l : kBassValues)
        for (float hg : {0.0f, 0.3f, 1.0f})
          for (float lg : {0.0f, 0.8f, 1.0f}) {
            const CoefficientSet<4> set = computeHighLow(h, hg, l, lg, rate);
            EXPECT_TRUE(response::allFinite(set)) << shelfValues(h, hg, l, lg, rate);
            EXPECT_TRUE(response::stableApartFromACancelledNyquistPair(set))
                << shelfValues(h, hg, l, lg, rate) << " " << response::describe(set);
            if (lg != 0.0f && lg != 1.0f) {
              EXPECT_TRUE(response::polesInsideUnitCircle(set)) << shelfValues(h, hg, l, lg, rate);
            }
          }
}

TEST(HighLow, a_full_bass_setting_with_its_nyquist_pole_stays_bounded_on_long_noise) {
  for (float lowGain : {0.0f, 1.0f}) {
    HighLow band;
    band.setParameterValue(HighLow::kLowFrequency, 0.3f);
    band.setParameterValue(HighLow::kLowGain, lowGain);
    band.calculateCoefficients();
    unsigned state = 12345;
    double peak = 0.0;
    for (int n = 0; n < 44100 * 20; ++n) {
      state = state * 1664525u + 1013904223u;
      double y = static_cast<double>(state >> 8) / static_cast<double>(1u << 24) - 0.5;
      band.process(y);
      peak = std::max(peak, std::abs(y));
    }
    // Full bass boost on white noise: +20 dB at most, nothing growing.
    EXPECT_LT(peak, 10.0) << lowGain;
    EXPECT_TRUE(std::isfinite(peak));
  }
}

TEST(HighLow, a_band_at_its_defaults_inverts_the_signal_after_the_crossfade) {
  HighLow band;
  EXPECT_EQ(band.parameterValue(HighLow::kHighGain), 0.5f);
  EXPECT_EQ(band.parameterValue(HighLow::kLowGain), 0.5f);
  band.calculateCoefficients();
  for (int n = 0; n < 1000; ++n) {
    double y = std::sin(n * 0.1) * 0.5 + 0.25;
    const double x = y;
    band.process(y);
    if (n >= band.crossfadeLength()) {
      EXPECT_NEAR(y, -x, 1e-19) << n;
    }
  }
  band.setParameterValue(HighLow::kHighFrequency, 0.5f);
  band.setParameterValue(HighLow::kHighGain, 1.0f);
  band.setParameterValue(HighLow::kLowFrequency, 0.5f);
  band.setParameterValue(HighLow::kLowGain, 0.0f);
  band.calculateCoefficients();
  expectReferenceCoefficients<4>(band.coefficients(), {-0.959083155, -0.930017496, 0.962722228, -0.0663434299},
                                 {-7.21060058, 13.1331827, 1.21297604, -13.1336184, 5.99718888}, "high low band");
}

// The denominator listing, verbatim, read here by its own small parser: a
// typo in the coefficient tables (or in this copy) makes the two disagree.
const char* const kShelfListing = R"(
Treble only (N = 2):
- A0 = 13600·Ct + 0.000102
- A1 = 6800·Ct²·Rt1 + 6800·Ct²·Rt2 + 8432000·Ct² + 0.000102·Ct·Rt1 + 0.000102·Ct·Rt2 + 3.26808·Ct
- A2 = 0.000102·Ct²·Rt1·Rt2 + 0.06324·Ct²·Rt1 + 3.20484·Ct²·Rt2 + 1987.0008·Ct²
Bass only (N = 3):
- A0 = 22480·Cb·Rb2 + 152864000·Cb + 0.0001124·Rb2 + 0.76432
- A1 = 76432000·Cb²·Rb1 + 76432000·Cb²·Rb2 + 0.000281·Cb·Rb1·Rb2 + 3.934·Cb·Rb1 + 4.881532·Cb·Rb2 + 41754.8016·Cb + 8.43e-13·Rb1·Rb2 + 1.58484e-08·Rb1 + 2.058606e-08·Rb2 + 0.000208774008
- A2 = 1.9108·Cb²·Rb1·Rb2 + 20877.4008·Cb²·Rb1 + 20877.4008·Cb²·Rb2 + 3.643446e-08·Cb·Rb1·Rb2 + 0.000208774008·Cb·Rb1 + 0.000208774008·Cb·Rb2
- A3 = 0.000208774008·Cb²·Rb1·Rb2
Both (N = 4):
- A0 = 4·Ct·Cb·Rb2 + 27200·Ct·Cb + 2e-08·Ct·Rb2 + 0.000136·Ct + 3e-08·Cb·Rb2 + 0.000204·Cb + 1.5e-16·Rb2 + 1.02e-12
- A1 = 2·Ct²·Cb·Rt1·Rb2 + 13600·Ct²·Cb·Rt1 + 2·Ct²·Cb·Rt2·Rb2 + 13600·Ct²·Cb·Rt2 + 2480·Ct²·Cb·Rb2 + 16864000·Ct²·Cb + 1e-08·Ct²·Rt1·Rb2 + 6.8e-05·Ct²·Rt1 + 1e-08·Ct²·Rt2·Rb2 + 6.8e-05·Ct²·Rt2 + 1.24e-05·Ct²·Rb2 + 0.08432·Ct² + 13600·Ct·Cb²·Rb1 + 13600·Ct·Cb²·Rb2 + 3e-08·Ct·Cb·Rt1·Rb2 + 0.000204·Ct·Cb·Rt1 + 3e-08·Ct·Cb·Rt2·Rb2 + 0.000204·Ct·Cb·Rt2 + 5e-08·Ct·Cb·Rb1·Rb2 + 0.0007·Ct·Cb·Rb1 + 0.0007372·Ct·Cb·Rb2 + 6.53616·Ct·Cb + 1.5e-16·Ct·Rt1·Rb2 + 1.02e-12·Ct·Rt1 + 1.5e-16·Ct·Rt2·Rb2 + 1.02e-12·Ct·Rt2 + 1.5e-16·Ct·Rb1·Rb2 + 2.82e-12·Ct·Rb1 + 3.006e-12·Ct·Rb2 + 3.26808e-08·Ct + 0.000102·Cb²·Rb1 + 0.000102·Cb²·Rb2 + 1.5e-16·Cb·Rb1·Rb2 + 1.02e-12·Cb·Rb1 + 1.02e-12·Cb·Rb2
- A2 = 6800·Ct²·Cb²·Rt1·Rb1 + 6800·Ct²·Cb²·Rt1·Rb2 + 6800·Ct²·Cb²·Rt2·Rb1 + 6800·Ct²·Cb²·Rt2·Rb2 + 8432000·Ct²·Cb²·Rb1 + 8432000·Ct²·Cb²·Rb2 + 3e-08·Ct²·Cb·Rt1·Rt2·Rb2 + 0.000204·Ct²·Cb·Rt1·Rt2 + 1e-08·Ct²·Cb·Rt1·Rb1·Rb2 + 6.8e-05·Ct²·Cb·Rt1·Rb1 + 8.66e-05·Ct²·Cb·Rt1·Rb2 + 0.12648·Ct²·Cb·Rt1 + 4e-08·Ct²·Cb·Rt2·Rb1·Rb2 + 0.000632·Ct²·Cb·Rt2·Rb1 + 0.0006506·Ct²·Cb·Rt2·Rb2 + 6.40968·Ct²·Cb·Rt2 + 3.1e-05·Ct²·Cb·Rb1·Rb2 + 0.434·Ct²·Cb·Rb1 + 0.445532·Ct²·Cb·Rb2 + 3974.0016·Ct²·Cb + 1.5e-16·Ct²·Rt1·Rt2·Rb2 + 1.02e-12·Ct²·Rt1·Rt2 + 9.3e-14·Ct²·Rt1·Rb2 + 6.324e-10·Ct²·Rt1 + 1.5e-16·Ct²·Rt2·Rb1·Rb2 + 2.82e-12·Ct²·Rt2·Rb1 + 2.913e-12·Ct²·Rt2·Rb2 + 3.20484e-08·Ct²·Rt2 + 9.3e-14·Ct²·Rb1·Rb2 + 1.7484e-09·Ct²·Rb1 + 1.80606e-09·Ct²·Rb2 + 1.9870008e-05·Ct² + 0.000102·Ct·Cb²·Rt1·Rb1 + 0.000102·Ct·Cb²·Rt1·Rb2 + 0.000102·Ct·Cb²·Rt2·Rb1 + 0.000102·Ct·Cb²·Rt2·Rb2 + 0.00034·Ct·Cb²·Rb1·Rb2 + 3.26808·Ct·Cb²·Rb1 + 3.26808·Ct·Cb²·Rb2 + 1.5e-16·Ct·Cb·Rt1·Rb1·Rb2 + 1.02e-12·Ct·Cb·Rt1·Rb1 + 1.02e-12·Ct·Cb·Rt1·Rb2 + 1.5e-16·Ct·Cb·Rt2·Rb1·Rb2 + 1.02e-12·Ct·Cb·Rt2·Rb1 + 1.02e-12·Ct·Cb·Rt2·Rb2 + 5.826e-12·Ct·Cb·Rb1·Rb2 + 3.26808e-08·Ct·Cb·Rb1 + 3.26808e-08·Ct·Cb·Rb2 + 1.02e-12·Cb²·Rb1·Rb2
- A3 = 0.000102·Ct²·Cb²·Rt1·Rt2·Rb1 + 0.000102·Ct²·Cb²·Rt1·Rt2·Rb2 + 6.8e-05·Ct²·Cb²·Rt1·Rb1·Rb2 + 0.06324·Ct²·Cb²·Rt1·Rb1 + 0.06324·Ct²·Cb²·Rt1·Rb2 + 0.000272·Ct²·Cb²·Rt2·Rb1·Rb2 + 3.20484·Ct²·Cb²·Rt2·Rb1 + 3.20484·Ct²·Cb²·Rt2·Rb2 + 0.2108·Ct²·Cb²·Rb1·Rb2 + 1987.0008·Ct²·Cb²·Rb1 + 1987.0008·Ct²·Cb²·Rb2 + 1.5e-16·Ct²·Cb·Rt1·Rt2·Rb1·Rb2 + 1.02e-12·Ct²·Cb·Rt1·Rt2·Rb1 + 1.02e-12·Ct²·Cb·Rt1·Rt2·Rb2 + 9.3e-14·Ct²·Cb·Rt1·Rb1·Rb2 + 6.324e-10·Ct²·Cb·Rt1·Rb1 + 6.324e-10·Ct²·Cb·Rt1·Rb2 + 5.733e-12·Ct²·Cb·Rt2·Rb1·Rb2 + 3.20484e-08·Ct²·Cb·Rt2·Rb1 + 3.20484e-08·Ct²·Cb·Rt2·Rb2 + 3.55446e-09·Ct²·Cb·Rb1·Rb2 + 1.9870008e-05·Ct²·Cb·Rb1 + 1.9870008e-05·Ct²·Cb·Rb2 + 1.02e-12·Ct·Cb²·Rt1·Rb1·Rb2 + 1.02e-12·Ct·Cb²·Rt2·Rb1·Rb2 + 3.26808e-08·Ct·Cb²·Rb1·Rb2
- A4 = 1.02e-12·Ct²·Cb²·Rt1·Rt2·Rb1·Rb2 + 6.324e-10·Ct²·Cb²·Rt1·Rb1·Rb2 + 3.20484e-08·Ct²·Cb²·Rt2·Rb1·Rb2 + 1.9870008e-05·Ct²·Cb²·Rb1·Rb2
)";

using MonomialKey = std::pair<int, std::array<std::uint8_t, shelf::kVariableCount>>;  // power of s, powers

std::map<std::string, std::map<MonomialKey, double>> parseListing(const std::string& text) {
  const std::map<std::string, int> variables{{"Ct", shelf::kCt},   {"Cb", shelf::kCb},   {"Rt1", shelf::kRt1},
                                             {"Rt2", shelf::kRt2}, {"Rb1", shelf::kRb1}, {"Rb2", shelf::kRb2}};
  std::map<std::string, std::map<MonomialKey, double>> listings;
  std::string current;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    if (line[0] != '-') {
      current = line.substr(0, line.find(" ("));
      continue;
    }
    const int power = line[3] - '0';
    std::string terms = line.substr(line.find('=') + 2) + " + ";
    for (size_t start = 0, end; (end = terms.find(" + ", start)) != std::string::npos; start = end + 3) {
      const std::string term = terms.substr(start, end - start);
      MonomialKey key{power, {}};
      size_t dot = term.find("·");
      const double coefficient = std::stod(term.substr(0, dot));
      while (dot != std::string::npos) {
        const size_t next = term.find("·", dot + 2);
        std::string factor = term.substr(dot + 2, next == std::string::npos ? std::string::npos : next - dot - 2);
        int exponent = 1;
        if (factor.size() > 2 && factor.compare(factor.size() - 2, 2, "²") == 0) {
          factor.resize(factor.size() - 2);
          exponent = 2;
        }
        key.second[variables.at(factor)] += static_cast<std::uint8_t>(exponent);
        dot = next;
      }
      listings[current][key] += coefficient;
    }
  }
  return listings;
}

std::map<MonomialKey, double> tableOf(const shelf::Listing& listing) {
  std::map<MonomialKey, double> table;
  for (int k = 0; k < 5; ++k)
    for (const shelf::Monomial& m : listing[k]) table[{k, m.powers}] += m.coefficient;
  return table;
}

TEST(HighLowListing, coefficient_tables_match_the_written_listing_term_for_term) {
  const auto listings = parseListing(kShelfListing);
  ASSERT_EQ(listings.size(), 3u);
  EXPECT_EQ(tableOf(shelf::kTrebleOnly), listings.at("Treble only"));
  EXPECT_EQ(tableOf(shelf::kBassOnly), listings.at("Bass only"));
  EXPECT_EQ(tableOf(shelf::kBoth), listings.at("Both"));
  EXPECT_EQ(listings.at("Both").size(), 122u);
}

// Shorting the bass capacitors (Cb large) with the bass wiper at one end
// leaves the treble-only stage: the terms of the full listing in Cb^2 times
// one bass half, one power of s lower, are exactly the treble-only listing.
// The two listings were derived separately, so this catches a wrong term in
// either of them.
TEST(HighLowListing, both_networks_reduce_to_the_treble_only_stage_when_the_bass_capacitors_short) {
  for (int half : {shelf::kRb1, shelf::kRb2}) {
    const int otherHalf = half == shelf::kRb1 ? shelf::kRb2 : shelf::kRb1;
    std::map<MonomialKey, double> limit;
    for (int k = 1; k < 5; ++k)
      for (const shelf::Monomial& m : shelf::kBoth[k])
        if (m.powers[shelf::kCb] == 2 && m.powers[half] == 1 && m.powers[otherHalf] == 0) {
          MonomialKey key{k - 1, m.powers};
          key.second[shelf::kCb] = 0;
          key.second[half] = 0;
          limit[key] += m.coefficient;
        }
    EXPECT_EQ(limit, tableOf(shelf::kTrebleOnly)) << "bass half " << half;
  }
}

// --- Mid -------------------------------------------------------------------

TEST(MidReference, position_3_narrow_at_44100_hz) {
  expectReferenceCoefficients<2>(computeMid(0.55f, 1.0f, 0.8f, 44100.0f), {-1.69001609, 0.734662477},
                                 {-1.39414745, 1.69001609, -0.340515022}, "mid");
}

TEST(Mid, a_centred_gain_gives_exactly_minus_one_at_every_position_q_and_rate) {
  for (float rate : response::kRatesOfEveryClass)
    for (float f : kMidValues)
      for (float q : {0.0f, 1.0f}) EXPECT_TRUE(isCentred(computeMid(f, q, 0.5f, rate))) << midValues(f, q, 0.5f, rate);
}

TEST(Mid, frequency_below_one_sixth_gives_the_inverted_bypass) {
  for (float f : {0.0f, 0.1f, std::nextafter(1.0f / 6.0f, 0.0f)})
    EXPECT_TRUE(isInvertedBypass(computeMid(f, 1.0f, 1.0f, 44100.0f))) << f;
  EXPECT_FALSE(isInvertedBypass(computeMid(1.0f / 6.0f, 1.0f, 1.0f, 44100.0f)));
}

TEST(Mid, values_outside_the_frequency_switch_select_the_highest_position) {
  const CoefficientSet<2> top = computeMid(1.0f, 1.0f, 1.0f, 44100.0f);
  for (float f : {1.5f, -0.2f, kNaN}) {
    const CoefficientSet<2> set = computeMid(f, 1.0f, 1.0f, 44100.0f);
    EXPECT_EQ(set.a, top.a) << f;
    EXPECT_EQ(set.b, top.b) << f;
  }
}

TEST(Mid, any_q_value_above_zero_is_narrow_and_only_zero_or_below_is_wide) {
  EXPECT_EQ(midComponents(0.55f, 0.01f, 1.0f, 44100.0f).rq, 2700.0);
  EXPECT_EQ(midComponents(0.55f, 1.0f, 1.0f, 44100.0f).rq, 2700.0);
  EXPECT_EQ(midComponents(0.55f, 0.0f, 1.0f, 44100.0f).rq, 6800.0);
  EXPECT_EQ(midComponents(0.55f, -0.5f, 1.0f, 44100.0f).rq, 6800.0);
  EXPECT_EQ(midComponents(0.55f, kNaN, 1.0f, 44100.0f).rq, 6800.0);
}

struct Peak {
  double frequency;
  double level;  // dB
};

Peak findPeak(const CoefficientSet<2>& set, double rate, bool boost) {
  Peak peak{0.0, boost ? -1e9 : 1e9};
  for (double f = 100.0; f < 12000.0; f *= 1.0005) {
    const double level = decibels(digitalResponse(set, f, rate));
    if (boost ? level > peak.level : level < peak.level) peak = {f, level};
  }
  return peak;
}

// Stated: about 19.6 dB (narrow) and 12.9 dB (wide); tolerance 0.1 dB.
TEST(Mid, position_3_boosts_and_cuts_its_centre_by_about_19_6_db_narrow_and_12_9_db_wide) {
  for (const auto& [q, level] : {std::pair{1.0f, 19.6}, std::pair{0.0f, 12.9}}) {
    EXPECT_NEAR(findPeak(computeMid(0.55f, q, 1.0f, 44100.0f), 44100.0, true).level, level, 0.1) << q;
    EXPECT_NEAR(findPeak(computeMid(0.55f, q, 0.0f, 44100.0f), 44100.0, false).level, -level, 0.1) << q;
  }
}

// Centre frequencies stay in place across rate classes: within 1 % at
// 44.1 to 96 kHz and 2 % at 176.4 and 192 kHz, where warping grows.
TEST(Mid, centre_frequencies_stay_near_their_listed_values_at_every_rate_class) {
  const double centres[] = {350.0, 700.0, 1600.0, 3200.0, 4800.0, 7200.0};
  for (float rate : response::kRatesOfEveryClass) {
    const double tolerance = rate > 100000.0f ? 0.02 : 0.01;
    for (int p = 0; p < 6; ++p) {
      const float f = kMidValues[p + 1];
      const Peak peak = findPeak(computeMid(f, 1.0f, 1.0f, rate), rate, true);
      EXPECT_NEAR(peak.frequency / centres[p], 1.0, tolerance) << midValues(f, 1.0f, 1.0f, rate);
    }
  }
}

TEST(Mid, gain_values_v_and_one_minus_v_give_mirror_responses_in_decibels) {
  for (float f : kMidValues)
    for (float q : {0.0f, 1.0f})
      for (float g : kGainValues) {
        const CoefficientSet<2> up = computeMid(f, q, g, 44100.0f);
        const CoefficientSet<2> down = computeMid(f, q, 1.0f - g, 44100.0f);
        for (double hz : {100.0, 700.0, 1600.0, 7200.0})
          EXPECT_NEAR(decibels(digitalResponse(up, hz, 44100.0)), -decibels(digitalResponse(down, hz, 44100.0)), 1e-3)
              << midValues(f, q, g, 44100.0f) << " at " << hz << " Hz";
      }
}

TEST(Mid, every_position_at_every_rate_class_gives_finite_coefficients_and_stable_poles) {
  for (float rate : response::kRatesOfEveryClass)
    for (float f : kMidValues)
      for (float q : {0.0f, 1.0f})
        for (float g : kGainValues) {
          const CoefficientSet<2> set = computeMid(f, q, g, rate);
          EXPECT_TRUE(response::allFinite(set)) << midValues(f, q, g, rate);
          EXPECT_TRUE(response::polesInsideUnitCircle(set)) << midValues(f, q, g, rate);
        }
}

TEST(Mid, a_band_reads_frequency_q_and_gain_together_at_its_update) {
  Mid band;
  EXPECT_EQ(band.parameterValue(Mid::kGain), 0.5f);
  band.setParameterValue(Mid::kFrequency, 0.55f);
  band.setParameterValue(Mid::kQ, 1.0f);
  band.setParameterValue(Mid::kGain, 0.8f);
  band.calculateCoefficients();
  expectReferenceCoefficients<2>(band.coefficients(), {-1.69001609, 0.734662477},
                                 {-1.39414745, 1.69001609, -0.340515022}, "mid band");
}

}  // namespace
}  // namespace sorvane::dsp::tessaro
