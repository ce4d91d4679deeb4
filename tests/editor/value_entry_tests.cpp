// Typing a knob's value in both products' editors, as the host sees it: a
// double-click opens the field and is no gesture of its own, Enter is one
// gesture with the units model's value, a typed stepped position equals the
// click on its label, and whatever cancels leaves the effect and the host
// untouched. Keys come through the window and through effEditKeyDown.
#include <gtest/gtest.h>

#include <string>

#include "gui/controls/ctextedit.h"
#include "plugin/units.h"
#include "tests/editor/editor_fixture.h"

namespace sorvane::test {
namespace {

template <class Product>
class ValueEntryTest : public EditorTest<Product> {
 protected:
  const ParameterUnits units = unitsOf<Product>();

  // A double-click on the centre of a parameter's knob, as the window gives it.
  void doubleClick(int tag) {
    const CPoint p = this->centre(this->controlOf(tag).rect);
    this->window->mouseDown(p.x, p.y, kLButton);
    this->window->mouseUp(p.x, p.y, 0);
    this->window->mouseDown(p.x, p.y, kLButton | kDoubleClick);
    this->window->mouseUp(p.x, p.y, 0);
  }
  void type(const std::string& text) {
    for (char c : text)
      this->window->key(platform::WindowEventType::KeyDown, platform::KeyCode{static_cast<unsigned char>(c), 0, 0});
  }
  void press(std::uint8_t virt) {
    this->window->key(platform::WindowEventType::KeyDown, platform::KeyCode{0, virt, 0});
  }
  // Opens the field on tag's knob and types text over its selection.
  void typeInto(int tag, const std::string& text) {
    doubleClick(tag);
    ASSERT_NE(this->editor->valueField(), nullptr);
    EditorHost::calls.clear();
    type(text);
  }
  std::string shownText(int tag) {
    char text[kValueTextCapacity] = {};
    units.format(tag, this->effect->getParameter(tag), text);
    return text;
  }
  // Every knob of the panel: the continuous ones and the stepped ones.
  std::vector<int> knobTags() const {
    std::vector<int> tags;
    for (const editor::ParameterControl& c : this->layout().controls)
      if (c.kind != editor::ControlKind::Switch) tags.push_back(c.tag);
    return tags;
  }
};
TYPED_TEST_SUITE(ValueEntryTest, Products);

TYPED_TEST(ValueEntryTest, ADoubleClickOnAnyKnobOpensItsTextSelectedAndIsOneClicksGestureAndNoMore) {
  ASSERT_TRUE(this->open());
  for (int tag : this->knobTags()) {
    const float before = this->effect->getParameter(tag);
    EditorHost::calls.clear();
    this->doubleClick(tag);
    CTextEdit* field = this->editor->valueField();
    ASSERT_NE(field, nullptr) << "tag " << tag;
    EXPECT_EQ(field->getText(), this->shownText(tag)) << "tag " << tag;
    EXPECT_EQ(field->selectionStart(), 0);
    EXPECT_EQ(field->selectionEnd(), static_cast<int>(field->getText().size())) << "all selected";
    EXPECT_EQ(EditorHost::log(),
              (std::vector<std::string>{"begin " + std::to_string(tag), "end " + std::to_string(tag)}))
        << "the first press's gesture, closed; the second press begins none";
    EXPECT_EQ(this->effect->getParameter(tag), before);
    EXPECT_TRUE(this->window->holdsKeyboard());
    EXPECT_TRUE(field->getViewSize().rectOverlap(this->controlOf(tag).rect)) << "over its knob";
    this->press(kVirtualKeyEscape);
    EXPECT_EQ(this->editor->valueField(), nullptr);
  }
}

TYPED_TEST(ValueEntryTest, EnterAppliesTheParsedValueAsExactlyOneBeginAutomationAndEnd) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  this->typeInto(output, "+3.5 dB");
  EXPECT_TRUE(EditorHost::calls.empty()) << "typing tells the host nothing";
  this->press(kVirtualKeyReturn);
  const float expected = *this->units.parse(output, "+3.5 dB");
  ASSERT_EQ(EditorHost::calls.size(), 3u) << ::testing::PrintToString(EditorHost::log());
  EXPECT_EQ(EditorHost::calls[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(EditorHost::calls[1].opcode, audioMasterAutomate);
  EXPECT_EQ(EditorHost::calls[1].index, output);
  EXPECT_EQ(EditorHost::calls[1].opt, expected);
  EXPECT_EQ(EditorHost::calls[2].opcode, audioMasterEndEdit);
  EXPECT_EQ(this->effect->getParameter(output), expected);
  EXPECT_EQ(this->editor->parameterControl(output)->getValue(), expected);
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_FALSE(this->window->holdsKeyboard()) << "the keyboard goes back";

  // Edited rather than replaced: the caret keys and Backspace work on the shown text.
  this->typeInto(output, "");
  this->type("-6db");
  this->press(kVirtualKeyLeft);
  this->press(kVirtualKeyLeft);
  this->press(kVirtualKeyBack);
  this->type("0db");
  this->press(kVirtualKeyBack);
  this->press(kVirtualKeyBack);
  this->press(kVirtualKeyEnter);
  EXPECT_EQ(this->effect->getParameter(output), *this->units.parse(output, "-0db")) << "-6db became -0db";
}

TYPED_TEST(ValueEntryTest, ATypedSteppedPositionSetsExactlyWhatAClickOnItsLabelSets) {
  ASSERT_TRUE(this->open());
  for (const editor::ParameterControl& c : this->layout().controls) {
    if (c.kind != editor::ControlKind::SteppedKnob) continue;
    for (int i = 0; i < static_cast<int>(c.zones.size()); ++i) {
      this->effect->setParameter(c.tag, 0.5f);
      this->idle();
      this->click(this->centre(c.zones[static_cast<size_t>(i)]));
      const float clicked = this->effect->getParameter(c.tag);
      char text[kValueTextCapacity] = {};
      ASSERT_TRUE(this->units.positionText(c.tag, i, text));
      this->effect->setParameter(c.tag, i == 0 ? 1.0f : 0.0f);
      this->idle();
      this->typeInto(c.tag, text);
      this->press(kVirtualKeyReturn);
      EXPECT_EQ(this->effect->getParameter(c.tag), clicked) << c.bitmap << " position " << i << " \"" << text << "\"";
      EXPECT_EQ(EditorHost::calls.size(), 3u) << c.bitmap << " position " << i;
    }
  }
}

TYPED_TEST(ValueEntryTest, EscapeAClickElsewhereAndNonsenseChangeNothingAndLeaveNoGesture) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const float before = this->effect->getParameter(output);

  this->typeInto(output, "+9 dB");
  this->press(kVirtualKeyEscape);
  EXPECT_EQ(this->editor->valueField(), nullptr) << "Escape";

  this->typeInto(output, "+9 dB");
  const CPoint bare(this->layout().width / 2, this->layout().height - 3);
  this->window->mouseDown(bare.x, bare.y, kLButton);
  this->window->mouseUp(bare.x, bare.y, 0);
  EXPECT_EQ(this->editor->valueField(), nullptr) << "a click on the bare panel";
  EXPECT_FALSE(this->window->holdsKeyboard());

  for (const char* nonsense : {"loud", "nan", "inf", "", "3.5 kHz dB", "++3"}) {
    this->typeInto(output, "");
    this->type(nonsense);
    this->press(kVirtualKeyReturn);
    EXPECT_EQ(this->editor->valueField(), nullptr) << "\"" << nonsense << "\"";
  }
  EXPECT_TRUE(EditorHost::calls.empty()) << ::testing::PrintToString(EditorHost::log());
  EXPECT_EQ(this->effect->getParameter(output), before);

  // Typing, then a click on another knob: the field goes and the click is that knob's own.
  this->typeInto(output, "+9 dB");
  const int other = this->knobTags().front();
  this->click(this->centre(this->controlOf(other).rect));
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_EQ(EditorHost::log(),
            (std::vector<std::string>{"begin " + std::to_string(other), "end " + std::to_string(other)}));
  EXPECT_EQ(this->effect->getParameter(output), before);
}

TYPED_TEST(ValueEntryTest, KeysThroughEffEditKeyDownTypeAndEnterAValue) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  this->doubleClick(output);
  ASSERT_NE(this->editor->valueField(), nullptr);
  EditorHost::calls.clear();
  for (char c : std::string("-2.5")) EXPECT_EQ(this->dispatch(effEditKeyDown, c, 0), 1) << c;
  EXPECT_EQ(this->dispatch(effEditKeyDown, 0, kVirtualKeyReturn), 1);
  EXPECT_EQ(this->effect->getParameter(output), *this->units.parse(output, "-2.5"));
  EXPECT_EQ(EditorHost::calls.size(), 3u);
  EXPECT_EQ(this->dispatch(effEditKeyDown, 'x', 0), 0) << "closed, the field takes no keys";

  // Escape as a character, as some hosts pass it.
  this->doubleClick(output);
  EditorHost::calls.clear();
  this->dispatch(effEditKeyDown, '7', 0);
  this->dispatch(effEditKeyDown, 0x1b, 0);
  EXPECT_EQ(this->editor->valueField(), nullptr);
  EXPECT_TRUE(EditorHost::calls.empty());
}

TYPED_TEST(ValueEntryTest, ClosingTheEditorOrThePluginWithTheFieldOpenAppliesNothingAndLeavesNothing) {
  ASSERT_TRUE(this->open());
  const int output = TypeParam::kOutputIndex;
  const float before = this->effect->getParameter(output);
  this->typeInto(output, "+12");
  this->close();
  EXPECT_TRUE(EditorHost::calls.empty());
  EXPECT_EQ(this->effect->getParameter(output), before);
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->editor->valueField(), nullptr) << "a new opening starts without it";
  this->typeInto(output, "+12");
  this->effect.reset();  // the leak checks run in TearDown
  EXPECT_TRUE(EditorHost::calls.empty());
}

}  // namespace
}  // namespace sorvane::test
