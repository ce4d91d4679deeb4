#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "dsp/band.h"
#include "filter_response.h"

namespace sorvane::dsp {
namespace {

// A band whose coefficients the test chooses, so the record's own behaviour
// (recursion, crossfade, update frame) can be observed in isolation.
class ScriptedBand : public Band<2, 1, true> {
 public:
  ScriptedBand() : Band({0.25f}) {}
  void calculateCoefficients(const CoefficientSet<2>& set) {
    updateCoefficients([&] { return set; });
  }
};

CoefficientSet<2> gainSet(double gain, double outputGain = 1.0) {
  CoefficientSet<2> set;
  set.b[0] = gain;
  set.outputGain = outputGain;
  return set;
}

// A resonant low-pass with a long memory, so histories matter.
CoefficientSet<2> resonantSet(double outputGain) {
  CoefficientSet<2> set;
  set.a = {-1.8, 0.9};
  set.b = {0.02, 0.04, 0.02};
  set.outputGain = outputGain;
  return set;
}

std::vector<double> noise(int count, unsigned seed) {
  std::vector<double> samples(count);
  unsigned state = seed;
  for (double& s : samples) {
    state = state * 1664525u + 1013904223u;
    s = static_cast<double>(state >> 8) / static_cast<double>(1u << 24) - 0.5;
  }
  return samples;
}

double run(CommonBase& band, double input) {
  band.process(input);
  return input;
}

TEST(RateTiming, one_table_gives_crossfade_length_and_update_period_switching_at_68000_and_136000_hz) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float rate;
    int crossfade;
    int period;
  } cases[] = {
      {44100.0f, 512, 1024},   {67999.0f, 512, 1024},   {std::nextafter(68000.0f, 0.0f), 512, 1024},
      {68000.0f, 1024, 2048},  {96000.0f, 1024, 2048},  {std::nextafter(136000.0f, 0.0f), 1024, 2048},
      {136000.0f, 2048, 4096}, {192000.0f, 2048, 4096}, {std::numeric_limits<float>::infinity(), 2048, 4096},
      {nan, 2048, 4096},
  };
  ScriptedBand band;
  for (const auto& c : cases) {
    EXPECT_EQ(rateTimingFor(c.rate).updatePeriod, c.period) << "at " << c.rate << " Hz";
    band.setSampleRate(c.rate);
    EXPECT_EQ(band.crossfadeLength(), c.crossfade) << "at " << c.rate << " Hz";
  }
  // The crossfade position is taken as a product with 1 / length, which is
  // the exact quotient only for powers of two.
  for (const RateTiming& timing : kRateTimings) EXPECT_EQ(std::popcount(unsigned(timing.crossfadeLength)), 1);
}

TEST(Band, starts_invalid_at_44100_hz_with_its_defaults_output_gain_one_and_crossfade_512) {
  ScriptedBand band;
  EXPECT_FALSE(band.isValid());
  EXPECT_EQ(band.sampleRate(), 44100.0f);
  EXPECT_EQ(band.crossfadeLength(), 512);
  EXPECT_EQ(band.parameterValue(0), 0.25f);
  EXPECT_EQ(band.outputGain(), 1.0);
  EXPECT_EQ(band.coefficients().a0, 1.0);
}

TEST(Band, ignores_parameter_fields_outside_its_record) {
  ScriptedBand band;
  band.setParameterValue(1, 0.9f);
  band.setParameterValue(-1, 0.9f);
  EXPECT_EQ(band.parameterValue(0), 0.25f);
  EXPECT_EQ(band.parameterValue(1), 0.0f);
  band.setParameterValue(0, 0.75f);
  EXPECT_EQ(band.parameterValue(0), 0.75f);
}

TEST(Band, set_sample_rate_alone_keeps_the_coefficients_in_force) {
  ScriptedBand band;
  band.calculateCoefficients(resonantSet(2.0));
  band.setSampleRate(96000.0f);
  EXPECT_EQ(band.coefficients().a[0], -1.8);
  EXPECT_EQ(band.sampleRate(), 96000.0f);
}

TEST(Band, reset_but_never_updated_outputs_the_guard_offset_fading_out_then_exactly_zero) {
  ScriptedBand band;
  for (int n = 0; n < 512; ++n) {
    const double t = n / 512.0;
    EXPECT_EQ(run(band, 1.0), (1.0 - t) * -1e-20) << "sample " << n;
  }
  for (int n = 0; n < 100; ++n) EXPECT_EQ(run(band, 1.0), 0.0);
}

TEST(Band, reset_returns_to_the_silent_invalid_state_but_keeps_rate_parameters_and_gain) {
  ScriptedBand band;
  band.setParameterValue(0, 0.6f);
  band.setSampleRate(96000.0f);
  band.calculateCoefficients(resonantSet(3.0));
  for (double x : noise(100, 3)) run(band, x);
  band.reset();
  EXPECT_FALSE(band.isValid());
  EXPECT_EQ(band.crossfadeLength(), 512);
  EXPECT_EQ(band.sampleRate(), 96000.0f);
  EXPECT_EQ(band.parameterValue(0), 0.6f);
  EXPECT_EQ(band.outputGain(), 3.0);
  EXPECT_EQ(band.coefficients().b[0], 0.0);
  EXPECT_EQ(run(band, 1.0), 3.0 * -1e-20);
}

TEST(Band, first_update_crossfades_between_equal_filters_from_rest) {
  ScriptedBand band;
  ScriptedBand reference;
  band.calculateCoefficients(resonantSet(1.5));
  reference.calculateCoefficients(resonantSet(1.5));
  const std::vector<double> input = noise(2000, 11);
  // Same filter on both sides of the fade: only rounding of the mix differs.
  for (int n = 0; n < 2000; ++n) {
    const double expected = run(reference, input[n]);
    EXPECT_NEAR(run(band, input[n]), expected, 1e-14) << "sample " << n;
  }
}

TEST(Band, first_sample_after_an_update_is_the_previous_filter_times_the_output_gain) {
  ScriptedBand band;
  ScriptedBand oldFilterAlone;
  band.calculateCoefficients(resonantSet(1.0));
  oldFilterAlone.calculateCoefficients(resonantSet(1.0));
  const std::vector<double> input = noise(1500, 5);
  for (int n = 0; n < 1000; ++n) EXPECT_EQ(run(band, input[n]), run(oldFilterAlone, input[n]));

  // New coefficients with a new output gain: the gain applies at once, to the mix.
  band.calculateCoefficients(resonantSet(2.0));
  EXPECT_EQ(run(band, input[1000]), run(oldFilterAlone, input[1000]) * 2.0);
}

TEST(Band, after_crossfade_length_samples_the_output_is_the_new_filter_alone) {
  for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
    ScriptedBand band;
    band.setSampleRate(rate);
    band.calculateCoefficients(gainSet(1.0));
    const int length = band.crossfadeLength();
    const std::vector<double> input = noise(3 * length, 9);
    for (int n = 0; n < length + 10; ++n) run(band, input[n]);

    band.calculateCoefficients(resonantSet(0.5));
    ScriptedBand newFilterAlone;  // starts from rest at the same moment
    newFilterAlone.setSampleRate(rate);
    newFilterAlone.calculateCoefficients(resonantSet(0.5));
    for (int n = 0; n < length; ++n) {
      run(band, input[length + 10 + n]);
      run(newFilterAlone, input[length + 10 + n]);
    }
    for (int n = 2 * length + 10; n < 3 * length; ++n)
      ASSERT_EQ(run(band, input[n]), run(newFilterAlone, input[n])) << "sample " << n << " at " << rate;
  }
}

TEST(Band, crossfade_weights_move_linearly_and_sum_to_one) {
  ScriptedBand band;
  band.calculateCoefficients(gainSet(2.0));
  for (int n = 0; n < 600; ++n) run(band, 1.0);
  band.calculateCoefficients(gainSet(-1.0));
  for (int n = 0; n < 512; ++n) {
    const double t = n / 512.0;
    // (1 - t) * old + t * new, each filter a pure gain on a constant input
    // (the guard offset rides along on both).
    const double oldOut = 2.0 - 1e-20;
    const double newOut = -1.0 - 1e-20;
    EXPECT_NEAR(run(band, 1.0), (1.0 - t) * oldOut + t * newOut, 1e-15) << "sample " << n;
  }
  EXPECT_EQ(run(band, 1.0), -1.0 - 1e-20);
  EXPECT_EQ(band.crossfadeCounter(), 512);
}

TEST(Band, a_longer_crossfade_that_restarts_an_ended_one_fades_between_two_copies_of_the_current_filter) {
  // After a crossfade the previous filter stands for a copy of the current
  // one. A rate change to a longer crossfade reopens the fade: it must run
  // between that copy and the current filter, which sound the same.
  ScriptedBand band;
  ScriptedBand alone;
  band.calculateCoefficients(gainSet(3.0));
  alone.calculateCoefficients(gainSet(3.0));
  const std::vector<double> input = noise(3000, 17);
  for (int n = 0; n < 700; ++n) run(band, input[n]);
  band.calculateCoefficients(resonantSet(1.0));
  alone.calculateCoefficients(resonantSet(1.0));
  for (int n = 700; n < 1400; ++n) ASSERT_EQ(run(band, input[n]), run(alone, input[n])) << "sample " << n;

  band.setSampleRate(96000.0f);  // 1024 samples: the counter (512) is below again
  EXPECT_EQ(band.crossfadeCounter(), 512);
  for (int n = 1400; n < 3000; ++n) ASSERT_NEAR(run(band, input[n]), run(alone, input[n]), 1e-15) << "sample " << n;
}

TEST(Band, an_update_restarts_the_new_filter_from_rest) {
  ScriptedBand band;
  band.calculateCoefficients(resonantSet(1.0));
  for (double x : noise(700, 21)) run(band, x);
  band.calculateCoefficients(resonantSet(1.0));
  ScriptedBand fresh;
  fresh.calculateCoefficients(resonantSet(1.0));
  const std::vector<double> input = noise(1200, 22);
  for (int n = 0; n < 512; ++n) {
    run(band, input[n]);
    run(fresh, input[n]);
  }
  for (int n = 512; n < 1200; ++n) ASSERT_EQ(run(band, input[n]), run(fresh, input[n])) << "sample " << n;
}

TEST(Band, a_decaying_recursion_reaches_exactly_zero_state) {
  ScriptedBand band;
  CoefficientSet<2> decay;
  decay.a = {-0.3, 0.0};
  decay.b = {1.0, 0.0, 0.0};
  band.calculateCoefficients(decay);
  run(band, 1.0);
  int n = 1;
  for (; n < 2000 && band.heldOutput() != 0.0; ++n) run(band, 0.0);
  // 0.3^n falls below 1e-36 after about 70 samples.
  EXPECT_LT(n, 100);
  for (; n < 600; ++n) run(band, 0.0);  // past the first crossfade
  for (int m = 0; m < 1000; ++m) {
    // Once the state is exactly zero only the guard's constant offset remains.
    ASSERT_EQ(run(band, 0.0), -1e-20) << "sample " << n + m;
    ASSERT_EQ(band.heldOutput(), 0.0);
  }
}

TEST(Band, a_slowly_decaying_or_resonant_recursion_never_holds_a_denormal_state) {
  CoefficientSet<2> slow;
  slow.a = {-0.999, 0.0};
  slow.b = {1.0, 0.0, 0.0};
  for (const CoefficientSet<2>& set : {slow, resonantSet(1.0)}) {
    ScriptedBand band;
    band.calculateCoefficients(set);
    run(band, 1.0);
    for (int n = 1; n < 200000; ++n) {
      run(band, 0.0);
      ASSERT_NE(std::fpclassify(band.heldOutput()), FP_SUBNORMAL) << "sample " << n << " " << response::describe(set);
    }
    // A pole this close to the unit circle may settle one rounding step of
    // the guard above zero (a1 * y rounds back to y below ulp(1e-20) / 0.002):
    // a normal number far below audibility, never a denormal.
    EXPECT_LT(std::abs(band.heldOutput()), 1e-33);
  }
}

}  // namespace
}  // namespace sorvane::dsp
