// The port translation on both products' tables: every printed position
// and word is a port value and back, every factory value survives the trip
// as what it plays, and bad port values play what the effect plays for bad
// parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "formats/common/unit_values.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"
#include "presets/records.h"

namespace {

using sorvane::formats::controlPortRange;
using sorvane::formats::parameterValueOf;
using sorvane::formats::PortKind;
using sorvane::formats::portShows;
using sorvane::formats::portValueOf;

template <class Product>
class PortMap : public ::testing::Test {
 protected:
  const sorvane::ParameterUnits units = sorvane::unitsOf<Product>();
};
using Products = ::testing::Types<tessaro::Product, pallido::Product>;
TYPED_TEST_SUITE(PortMap, Products);

TYPED_TEST(PortMap, EveryParameterHasAPortAndEveryPositionIsAWholePortValueAndBack) {
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    const auto range = controlPortRange(this->units, i);
    ASSERT_TRUE(range) << TypeParam::kParameters[i].name;
    if (range->kind == PortKind::Decibels) {
      EXPECT_EQ(range->minimum, -20.0f);
      EXPECT_EQ(range->maximum, 20.0f);
      continue;
    }
    const int count = this->units.positionCount(i);
    EXPECT_EQ(range->maximum, static_cast<float>(count - 1)) << TypeParam::kParameters[i].name;
    for (int position = 0; position < count; ++position) {
      const float value = *this->units.positionValue(i, position);
      EXPECT_EQ(parameterValueOf(this->units, i, static_cast<float>(position)), value)
          << TypeParam::kParameters[i].name << " position " << position;
      EXPECT_EQ(portValueOf(this->units, i, value), static_cast<float>(position))
          << TypeParam::kParameters[i].name << " position " << position;
    }
  }
}

TYPED_TEST(PortMap, EveryFactoryValueShowsOnItsPortAndComesBackAsWhatItPlays) {
  int exact = 0;
  int gains = 0;
  for (int p = 0; p < sorvane::kProgramCount; ++p)
    for (int i = 0; i < TypeParam::kParameterCount; ++i) {
      const float value = static_cast<float>(TypeParam::presets().factoryPrograms[p].values[i]);
      const float port = portValueOf(this->units, i, value);
      const float back = parameterValueOf(this->units, i, port);
      EXPECT_TRUE(portShows(this->units, i, port, value)) << "program " << p << " parameter " << i;
      if (controlPortRange(this->units, i)->kind == PortKind::Decibels) {
        ++gains;
        exact += back == value;
        EXPECT_NEAR(back, value, 1e-6f) << "program " << p << " parameter " << i;
      } else {
        EXPECT_EQ(this->units.positionOf(i, back), this->units.positionOf(i, value))
            << "program " << p << " parameter " << i << " value " << value;
      }
    }
  // Most gains make the trip through decibels exactly; the figure guards
  // against a change of the formula that would lose that.
  EXPECT_GE(exact * 2, gains) << exact << " of " << gains << " gains exact";
}

TYPED_TEST(PortMap, PortValuesOutOfRangeAreHeldAndNanPlaysWhatTheEffectPlaysForNan) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    const auto range = *controlPortRange(this->units, i);
    const char* name = TypeParam::kParameters[i].name;
    EXPECT_EQ(parameterValueOf(this->units, i, range.minimum - 100.0f), parameterValueOf(this->units, i, range.minimum))
        << name;
    EXPECT_EQ(parameterValueOf(this->units, i, -inf), parameterValueOf(this->units, i, range.minimum)) << name;
    EXPECT_EQ(parameterValueOf(this->units, i, inf), parameterValueOf(this->units, i, range.maximum)) << name;
    const float fromNan = parameterValueOf(this->units, i, nan);
    EXPECT_FALSE(std::isnan(fromNan)) << name;
    if (range.kind == PortKind::Decibels)
      EXPECT_EQ(fromNan, sorvane::heldGainValue(nan)) << name;
    else
      EXPECT_EQ(this->units.positionOf(i, fromNan), this->units.positionOf(i, nan)) << name;
  }
}

TYPED_TEST(PortMap, SymbolsAreUniqueLowerCaseWordsThatStartWithALetter) {
  std::set<std::string> seen;
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    char symbol[64];
    sorvane::formats::portSymbol(TypeParam::kParameters[i].name, symbol, sizeof symbol);
    const std::string s = symbol;
    ASSERT_FALSE(s.empty());
    EXPECT_TRUE(s[0] >= 'a' && s[0] <= 'z') << s;
    for (char c : s) EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') << s;
    EXPECT_TRUE(seen.insert(s).second) << s;
    EXPECT_NE(s, "in_l");
    EXPECT_NE(s, "out_l");
  }
}

TEST(PortSymbol, ALongNameIsCutToTheBufferAndTerminated) {
  char symbol[5];
  sorvane::formats::portSymbol("HighCut Freq", symbol, sizeof symbol);
  EXPECT_STREQ(symbol, "high");
}

}  // namespace
