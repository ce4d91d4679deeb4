// What every circuit reads its knobs with: rate classes, switch intervals
// and positions, potentiometer halves.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>

#include "dsp/circuit.h"

namespace sorvane::dsp {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(RateClass, switches_at_46000_68100_and_92100_hz_with_nan_in_the_top_class) {
  const auto below = [](float r) { return std::nextafter(r, 0.0f); };
  EXPECT_EQ(rateClassOf(0.0f), RateClass::S1);
  EXPECT_EQ(rateClassOf(44100.0f), RateClass::S1);
  EXPECT_EQ(rateClassOf(below(46000.0f)), RateClass::S1);
  EXPECT_EQ(rateClassOf(46000.0f), RateClass::S2);
  EXPECT_EQ(rateClassOf(48000.0f), RateClass::S2);
  EXPECT_EQ(rateClassOf(below(68100.0f)), RateClass::S2);
  EXPECT_EQ(rateClassOf(68100.0f), RateClass::S3);
  EXPECT_EQ(rateClassOf(88200.0f), RateClass::S3);
  EXPECT_EQ(rateClassOf(below(92100.0f)), RateClass::S3);
  EXPECT_EQ(rateClassOf(92100.0f), RateClass::S4);
  EXPECT_EQ(rateClassOf(192000.0f), RateClass::S4);
  EXPECT_EQ(rateClassOf(kNaN), RateClass::S4);

  const PerRateClass<int> table{1, 2, 3, 4};
  EXPECT_EQ(forRate(table, 44100.0f), 1);
  EXPECT_EQ(forRate(table, 48000.0f), 2);
  EXPECT_EQ(forRate(table, 88200.0f), 3);
  EXPECT_EQ(forRate(table, kNaN), 4);
}

TEST(Switch, an_interval_includes_its_lower_bound_and_nan_or_values_outside_fall_in_none) {
  constexpr std::array<float, 4> bounds{0.0f, 0.25f, 0.5f, 1.0f};
  EXPECT_EQ(switchInterval(0.0f, bounds), 0);
  EXPECT_EQ(switchInterval(std::nextafter(0.25f, 0.0f), bounds), 0);
  EXPECT_EQ(switchInterval(0.25f, bounds), 1);
  EXPECT_EQ(switchInterval(0.99f, bounds), 2);
  EXPECT_EQ(switchInterval(1.0f, bounds), -1);
  EXPECT_EQ(switchInterval(-0.1f, bounds), -1);
  EXPECT_EQ(switchInterval(kNaN, bounds), -1);
}

TEST(Switch, settings_follow_the_intervals_and_values_outside_take_the_switchs_own_rule) {
  constexpr std::array<float, 4> bounds{0.0f, 0.25f, 0.5f, 1.0f};
  const float values[] = {0.0f, 0.3f, 0.7f, 1.0f, 7.0f, -0.1f, kNaN};
  struct Case {
    SteppedSwitch rule;
    int positions;
    int settings[std::size(values)];
  };
  const Case cases[] = {
      {{bounds, false, OutsideIntervals::Off}, 3, {1, 2, 3, 0, 0, 0, 0}},
      {{bounds, true, OutsideIntervals::LastPosition}, 3, {0, 1, 2, 3, 3, 3, 3}},
      {{bounds, true, OutsideIntervals::LastAboveOffBelow}, 3, {0, 1, 2, 3, 3, 0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.rule.positionCount(), c.positions);
    for (std::size_t i = 0; i < std::size(values); ++i)
      EXPECT_EQ(switchSetting(c.rule, values[i]), c.settings[i]) << "value " << values[i];
  }

  constexpr std::array<int, 3> rows{10, 20, 30};
  EXPECT_EQ(positionRow(0, rows), std::nullopt);
  EXPECT_EQ(positionRow(1, rows), 10);
  EXPECT_EQ(positionRow(3, rows), 30);
}

TEST(PotentiometerHalves, are_float_products_widened_to_double_and_mirror_at_the_centre) {
  const PotentiometerHalves centre = potentiometerHalves(0.5f, 10000.0f);
  EXPECT_EQ(centre.first, 5000.0);
  EXPECT_EQ(centre.second, 5000.0);
  // 0.3f * 50000 rounds in float: the double product would differ.
  const PotentiometerHalves pot = potentiometerHalves(0.3f, 50000.0f);
  EXPECT_EQ(pot.first, static_cast<double>(0.3f * 50000.0f));
  EXPECT_EQ(pot.second, static_cast<double>((1.0f - 0.3f) * 50000.0f));
  EXPECT_NE(pot.first, static_cast<double>(0.3f) * 50000.0);
  EXPECT_EQ(potentiometerHalves(1.0f, 10000.0f).second, 0.0);
}

}  // namespace
}  // namespace sorvane::dsp
