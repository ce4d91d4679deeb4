// The panel and the units model agree: every stepped knob has one printed
// position per clickable zone, a click on a zone sets exactly the value the
// model types for that position and shows its label, gain knobs read in dB
// and switches in two words.
#include <gtest/gtest.h>

#include <string>

#include "editor/cmyanimknob.h"
#include "plugin/units.h"
#include "tests/editor/editor_fixture.h"

namespace sorvane::test {
namespace {

template <class Product>
class UnitsOnThePanel : public EditorTest<Product> {};
TYPED_TEST_SUITE(UnitsOnThePanel, Products);

TYPED_TEST(UnitsOnThePanel, EveryControlHasTheModelsPositionsAndAClickEqualsTheTypedPosition) {
  const ParameterUnits units = unitsOf<TypeParam>();
  ASSERT_TRUE(this->open());
  int steppedKnobs = 0;
  for (const editor::ParameterControl& c : this->layout().controls) {
    switch (c.kind) {
      case editor::ControlKind::SteppedKnob: {
        ++steppedKnobs;
        const int n = static_cast<int>(c.zones.size());
        ASSERT_EQ(units.positionCount(c.tag), n) << c.bitmap << ", parameter " << c.tag;
        auto* knob = static_cast<editor::CMyAnimKnob*>(this->editor->parameterControl(c.tag));
        for (int i = 0; i < n; ++i) {
          char label[kValueTextCapacity];
          ASSERT_TRUE(units.positionText(c.tag, i, label));
          EXPECT_EQ(knob->zoneValue(i), units.positionValue(c.tag, i));
          this->click(TestFixture::centre(c.zones[i]));
          const float clicked = this->effect->getParameter(c.tag);
          EXPECT_EQ(units.parse(c.tag, label), clicked) << "parameter " << c.tag << " \"" << label << "\"";
          char shown[kValueTextCapacity];
          ASSERT_TRUE(units.format(c.tag, clicked, shown));
          EXPECT_STREQ(shown, label) << "parameter " << c.tag << " zone " << i;
        }
        break;
      }
      case editor::ControlKind::Knob:
        EXPECT_EQ(units.unit(c.tag), Unit::Decibels) << c.bitmap << ", parameter " << c.tag;
        EXPECT_EQ(units.positionCount(c.tag), 0);
        break;
      case editor::ControlKind::Switch:
        EXPECT_EQ(units.positionCount(c.tag), 2) << c.bitmap << ", parameter " << c.tag;
        break;
    }
  }
  EXPECT_EQ(steppedKnobs, TypeParam::kSteppedKnobCount);
}

}  // namespace
}  // namespace sorvane::test
