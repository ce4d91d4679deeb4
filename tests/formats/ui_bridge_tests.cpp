// The panel's side of the ports, without a window: gestures become
// ui:touch, values the port writes in port units, host port values the
// effect's parameter values, and what the panel changed by itself (a
// program) reaches every port that no longer shows it, never overwriting a
// host value still on its way to the effect.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "formats/common/unit_values.h"
#include "formats/lv2/ui_bridge.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"
#include "presets/records.h"

namespace {

using sorvane::lv2::UiBridge;
using sorvane::lv2::UiHostCalls;

struct HostRecord {
  struct Write {
    std::uint32_t port;
    float value;
  };
  struct Touch {
    std::uint32_t port;
    bool grabbed;
  };
  std::vector<Write> writes;
  std::vector<Touch> touches;

  static void write(void* self, std::uint32_t port, float value) {
    static_cast<HostRecord*>(self)->writes.push_back({port, value});
  }
  static void touch(void* self, std::uint32_t port, bool grabbed) {
    static_cast<HostRecord*>(self)->touches.push_back({port, grabbed});
  }
};

template <class Product>
std::vector<float> programValues(int program) {
  std::vector<float> values;
  for (int i = 0; i < Product::kParameterCount; ++i)
    values.push_back(static_cast<float>(Product::presets().factoryPrograms[program].values[i]));
  return values;
}

template <class Product>
class PanelPorts : public ::testing::Test {
 protected:
  const sorvane::ParameterUnits units = sorvane::unitsOf<Product>();
  HostRecord host;
  UiBridge bridge{units, programValues<Product>(0), UiHostCalls{&host, HostRecord::write, HostRecord::touch}};
  static constexpr int kOutput = Product::kOutputIndex;
};
using Products = ::testing::Types<tessaro::Product, pallido::Product>;
TYPED_TEST_SUITE(PanelPorts, Products);

TYPED_TEST(PanelPorts, AGestureIsOneTouchBeginAndOneEndAndClosingEndsWhatIsOpen) {
  this->bridge.beginEdit(this->kOutput);
  this->bridge.beginEdit(this->kOutput);  // a second begin of the same control is no second gesture
  this->bridge.endEdit(this->kOutput);
  this->bridge.endEdit(this->kOutput);
  this->bridge.beginEdit(-1);
  this->bridge.beginEdit(TypeParam::kParameterCount);  // the command controls' tags are no ports
  ASSERT_EQ(this->host.touches.size(), 2u);
  EXPECT_EQ(this->host.touches[0].port, static_cast<std::uint32_t>(this->kOutput));
  EXPECT_TRUE(this->host.touches[0].grabbed);
  EXPECT_FALSE(this->host.touches[1].grabbed);

  this->bridge.beginEdit(0);
  this->bridge.beginEdit(this->kOutput);
  this->bridge.endOpenGestures();
  ASSERT_EQ(this->host.touches.size(), 6u);
  EXPECT_FALSE(this->host.touches[4].grabbed);
  EXPECT_FALSE(this->host.touches[5].grabbed);

  // A host without ui:touch still gets the values.
  UiBridge untouched{this->units, programValues<TypeParam>(0), UiHostCalls{&this->host, HostRecord::write, nullptr}};
  untouched.beginEdit(this->kOutput);
  untouched.automated(this->kOutput, 0.75f);
  untouched.endEdit(this->kOutput);
  EXPECT_EQ(this->host.touches.size(), 6u);
  EXPECT_EQ(this->host.writes.size(), 1u);
}

TYPED_TEST(PanelPorts, ThePanelsValuesAreWrittenInPortUnitsOnceEach) {
  this->bridge.automated(this->kOutput, 0.75f);  // +10 dB on the Output knob
  this->bridge.automated(this->kOutput, 0.75f);
  ASSERT_EQ(this->host.writes.size(), 1u);
  EXPECT_EQ(this->host.writes[0].port, static_cast<std::uint32_t>(this->kOutput));
  EXPECT_FLOAT_EQ(this->host.writes[0].value, 10.0f);
  // Every value the panel sets is written as the port value that plays it.
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    this->host.writes.clear();
    const float value = static_cast<float>(programValues<TypeParam>(1)[static_cast<std::size_t>(i)]);
    this->bridge.automated(i, 1.0f - value);
    this->bridge.automated(i, value);
    ASSERT_FALSE(this->host.writes.empty()) << i;
    EXPECT_TRUE(sorvane::formats::portShows(this->units, i, this->host.writes.back().value, value)) << i;
  }
  this->host.writes.clear();
  this->bridge.automated(TypeParam::kParameterCount, 0.5f);
  EXPECT_TRUE(this->host.writes.empty());
}

TYPED_TEST(PanelPorts, AHostPortValueBecomesTheParameterValueOnlyWhenTheEffectPlaysAnother) {
  const float effect = 0.5f;  // 0 dB
  EXPECT_FALSE(this->bridge.portEvent(this->kOutput, 0.0f, effect));
  const auto moved = this->bridge.portEvent(this->kOutput, 10.0f, effect);
  ASSERT_TRUE(moved);
  EXPECT_FLOAT_EQ(*moved, 0.75f);
  EXPECT_FALSE(this->bridge.portEvent(TypeParam::kParameterCount + 1, 1.0f, effect));  // audio ports
  EXPECT_TRUE(this->host.writes.empty());                                              // nothing echoed back
}

TYPED_TEST(PanelPorts, AProgramChangedInThePanelIsWrittenToEveryPortThatNoLongerShowsIt) {
  std::vector<float> values = programValues<TypeParam>(0);
  EXPECT_EQ(this->bridge.follow(values), 0);
  const std::vector<float> next = programValues<TypeParam>(3);
  const int written = this->bridge.follow(next);
  int differing = 0;
  for (int i = 0; i < TypeParam::kParameterCount; ++i)
    if (!sorvane::formats::portShows(this->units, i, this->bridge.shown(i), values[static_cast<std::size_t>(i)]))
      ++differing;
  EXPECT_GT(written, 0);
  EXPECT_EQ(static_cast<int>(this->host.writes.size()), written);
  for (const auto& w : this->host.writes)
    EXPECT_TRUE(sorvane::formats::portShows(this->units, static_cast<int>(w.port), w.value, next[w.port])) << w.port;
  EXPECT_EQ(differing, written);
  EXPECT_EQ(this->bridge.follow(next), 0);  // written once
}

TYPED_TEST(PanelPorts, AHostValueOnItsWayToTheEffectIsNotOverwrittenWithTheOneItReplaces) {
  std::vector<float> values = programValues<TypeParam>(0);
  // The host moved Output; the effect has not taken it yet when the panel idles.
  ASSERT_TRUE(this->bridge.portEvent(this->kOutput, 20.0f, values[this->kOutput]));
  EXPECT_EQ(this->bridge.follow(values), 0);
  // The plug-in's next block applies the port: nothing to write either.
  values[this->kOutput] = 1.0f;
  EXPECT_EQ(this->bridge.follow(values), 0);
  EXPECT_TRUE(this->host.writes.empty());
}

}  // namespace
