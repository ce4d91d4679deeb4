#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dsp/gain_taper.h"

namespace sorvane::dsp {
namespace {

struct NamedTable {
  const char* name;
  const GainTaperTable* table;
};

const NamedTable kEveryTable[] = {
    {"tessaro high shelf", &tessaro::kHighShelfGainTaper},
    {"tessaro low shelf", &tessaro::kLowShelfGainTaper},
    {"tessaro mid narrow", &tessaro::kMidNarrowGainTaper},
    {"tessaro mid wide", &tessaro::kMidWideGainTaper},
    {"pallido high shelf", &pallido::kHighShelfGainTaper},
    {"pallido low shelf", &pallido::kLowShelfGainTaper},
    {"pallido high mid narrow", &pallido::kHighMidNarrowGainTaper},
    {"pallido high mid wide", &pallido::kHighMidWideGainTaper},
    {"pallido low mid narrow", &pallido::kLowMidNarrowGainTaper},
    {"pallido low mid wide", &pallido::kLowMidWideGainTaper},
};

TEST(GainTaper, every_table_has_its_centre_at_one_and_repeats_its_end_value) {
  for (const auto& [name, table] : kEveryTable) {
    EXPECT_EQ((*table)[1], 0.5f) << name;
    for (int i = 11; i < 15; ++i) EXPECT_EQ((*table)[i], 1.0f) << name;
    // T[0] is the mirror of T[2] around the centre.
    EXPECT_NEAR((*table)[0] + (*table)[2], 1.0f, 1e-6f) << name;
  }
}

TEST(GainTaper, centre_full_boost_and_full_cut_read_half_one_and_zero_exactly) {
  for (const auto& [name, table] : kEveryTable) {
    EXPECT_EQ(gainTaper(0.5f, *table), 0.5f) << name;
    EXPECT_EQ(gainTaper(1.0f, *table), 1.0f) << name;
    EXPECT_EQ(gainTaper(0.0f, *table), 0.0f) << name;
  }
}

TEST(GainTaper, passes_through_the_table_entries_at_whole_steps_of_deflection) {
  const GainTaperTable& table = tessaro::kHighShelfGainTaper;
  EXPECT_EQ(gainTaper(0.75f, table), table[6]);  // deflection +5
  EXPECT_EQ(gainTaper(0.25f, table), 0.5f - (table[6] - 0.5f));
  for (int step = 1; step <= 10; ++step) {
    const float v = 0.5f + static_cast<float>(step) / 20.0f;
    EXPECT_NEAR(gainTaper(v, table), table[step + 1], 2e-6f) << "v " << v;
  }
}

TEST(GainTaper, rises_monotonically_and_mirrors_around_the_centre) {
  for (const auto& [name, table] : kEveryTable) {
    float previous = -1.0f;
    for (int n = 0; n <= 2000; ++n) {
      const float v = static_cast<float>(n) / 2000.0f;
      const float p = gainTaper(v, *table);
      EXPECT_GE(p, previous) << name << " v " << v;
      previous = p;
    }
    for (int n = 0; n <= 20; ++n) {
      const float v = static_cast<float>(n) / 20.0f;
      EXPECT_NEAR(gainTaper(v, *table) + gainTaper(1.0f - v, *table), 1.0f, 2e-6f) << name << " v " << v;
    }
  }
}

TEST(GainTaper, clamps_values_outside_zero_to_one_and_reads_nan_as_the_centre) {
  const float inf = std::numeric_limits<float>::infinity();
  for (const auto& [name, table] : kEveryTable) {
    EXPECT_EQ(gainTaper(1.5f, *table), 1.0f) << name;
    EXPECT_EQ(gainTaper(std::nextafter(1.0f, 2.0f), *table), 1.0f) << name;
    EXPECT_EQ(gainTaper(1e30f, *table), 1.0f) << name;
    EXPECT_EQ(gainTaper(inf, *table), 1.0f) << name;
    EXPECT_EQ(gainTaper(-0.25f, *table), 0.0f) << name;
    EXPECT_EQ(gainTaper(-inf, *table), 0.0f) << name;
    EXPECT_EQ(gainTaper(std::numeric_limits<float>::quiet_NaN(), *table), 0.5f) << name;
  }
}

}  // namespace
}  // namespace sorvane::dsp
