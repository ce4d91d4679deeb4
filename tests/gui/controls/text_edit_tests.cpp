// The text field through the frame's event translation, as a person types
// into it: editing keys, the length limit, the one report of Enter or of a
// cancel, and the keyboard focus the window holds while it is open. Also the
// knob's double-click hook, which the field is opened from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/controls/cknob.h"
#include "gui/controls/ctextedit.h"
#include "tests/gui/toolkit_fixture.h"

namespace sorvane {
namespace {

using platform::KeyCode;
using platform::WindowEventType;

struct RecordingEditListener : CTextEditListener {
  void textEditCommitted(CTextEdit*, const std::string& text) override { reports.push_back("enter " + text); }
  void textEditCancelled(CTextEdit*) override { reports.push_back("cancel"); }
  std::vector<std::string> reports;
};

class TextEdit : public test::ToolkitTest {
 protected:
  // A field at 40, 40 .. 116, 57 showing text, all selected, with the focus.
  CTextEdit* openField(const char* text = "+3.5 dB") {
    openFrame(300, 200);
    field = new CTextEdit(CRect(40, 40, 116, 57), &edits);
    field->setText(text);
    frame->addView(field);
    frame->setFocusView(field);
    return field;
  }
  platform::WindowEventResult press(std::uint8_t virt, std::uint8_t modifier = 0) {
    return window->key(WindowEventType::KeyDown, KeyCode{0, virt, modifier});
  }
  void type(const std::string& text) {
    for (char c : text) window->key(WindowEventType::KeyDown, KeyCode{static_cast<unsigned char>(c), 0, 0});
  }

  RecordingEditListener edits;
  CTextEdit* field = nullptr;
};

TEST_F(TextEdit, TypingReplacesTheSelectionAndTheEditingKeysMoveAndDelete) {
  openField();
  EXPECT_EQ(field->selectionStart(), 0);
  EXPECT_EQ(field->selectionEnd(), 7) << "opened with all of it selected";
  type("-6");
  EXPECT_EQ(field->getText(), "-6");
  EXPECT_EQ(field->caret(), 2);

  press(kVirtualKeyHome);
  type("x");
  EXPECT_EQ(field->getText(), "x-6");
  press(kVirtualKeyDelete);
  EXPECT_EQ(field->getText(), "x6") << "Delete takes the character after the caret";
  press(kVirtualKeyBack);
  EXPECT_EQ(field->getText(), "6") << "Backspace the one before it";
  press(kVirtualKeyBack);
  EXPECT_EQ(field->getText(), "6") << "nothing before the caret: nothing goes";
  press(kVirtualKeyEnd);
  type(".5");
  press(kVirtualKeyLeft);
  press(kVirtualKeyLeft);
  press(kVirtualKeyRight);
  type("0");
  EXPECT_EQ(field->getText(), "6.05");

  press(kVirtualKeyHome, platform::kKeyShift);
  EXPECT_EQ(field->selectionStart(), 0);
  EXPECT_EQ(field->selectionEnd(), 3) << "Shift extends from the caret";
  press(kVirtualKeyDelete);
  EXPECT_EQ(field->getText(), "5");
  window->key(WindowEventType::KeyDown, KeyCode{'a', 0, platform::kKeyControl});
  EXPECT_EQ(field->selectionEnd() - field->selectionStart(), 1) << "Control + A selects all";
  type("\x01\t\x7f");
  EXPECT_EQ(field->getText(), "") << "the Delete character removes the selection; control codes type nothing";
  EXPECT_TRUE(edits.reports.empty());
}

TEST_F(TextEdit, TheTextStopsAtItsLengthLimitAndOnlyPrintableCharactersGoIn) {
  openField("");
  type(std::string(30, '9'));
  EXPECT_EQ(field->getText(), std::string(CTextEdit::kDefaultMaxLength, '9'));
  field->setText("4.6\x01k\xc3\xa9Hz and a very long tail");
  EXPECT_EQ(field->getText(), "4.6kHz and");
  press(kVirtualKeyHome);
  press(kVirtualKeyRight, platform::kKeyShift);
  type("12");
  EXPECT_EQ(field->getText(), "1.6kHz and") << "a full field takes what replaces its selection, no more";
}

TEST_F(TextEdit, EnterReportsTheTextOnceAndEscapeCancelsOnceAndEveryKeyStaysWithTheField) {
  openField();
  type("2");
  EXPECT_TRUE(press(kVirtualKeyUp).consumed) << "no key reaches the host while the field is open";
  EXPECT_TRUE(press(kVirtualKeyTab).consumed);
  EXPECT_TRUE(window->key(WindowEventType::KeyUp, KeyCode{'2', 0, 0}).consumed);
  press(kVirtualKeyReturn);
  press(kVirtualKeyReturn);
  EXPECT_EQ(edits.reports, (std::vector<std::string>{"enter 2"}));
  EXPECT_FALSE(field->isOpen());
  EXPECT_FALSE(press(kVirtualKeyReturn).consumed) << "a closed field lets the keys go";

  field->setText("OFF");
  window->key(WindowEventType::KeyDown, KeyCode{'\r', 0, 0});
  field->setText("OFF");
  press(kVirtualKeyEnter);
  field->setText("OFF");
  press(kVirtualKeyEscape);
  press(kVirtualKeyEscape);
  EXPECT_EQ(edits.reports, (std::vector<std::string>{"enter 2", "enter OFF", "enter OFF", "cancel"}))
      << "a carriage return and the keypad's Enter enter too";
}

TEST_F(TextEdit, TheWindowHoldsTheKeyboardWhileTheFieldHasTheFocusAndAClickElsewhereCancels) {
  openField();
  EXPECT_TRUE(window->holdsKeyboard());
  window->mouseDown(74, 48, kLButton);
  window->mouseUp(74, 48, 0);
  EXPECT_EQ(frame->getFocusView(), field) << "a click inside keeps the field";
  EXPECT_EQ(field->caret(), 3) << "and puts the caret at the nearest boundary";
  EXPECT_TRUE(window->holdsKeyboard());
  window->mouseDown(58, 48, kLButton | kDoubleClick);
  EXPECT_EQ(field->selectionEnd() - field->selectionStart(), 7) << "a double-click inside selects all";
  EXPECT_TRUE(edits.reports.empty());

  window->mouseDown(200, 150, kLButton);
  window->mouseUp(200, 150, 0);
  EXPECT_EQ(edits.reports, (std::vector<std::string>{"cancel"}));
  EXPECT_EQ(frame->getFocusView(), nullptr);
  EXPECT_FALSE(window->holdsKeyboard()) << "the keyboard goes back with the focus";
}

TEST_F(TextEdit, TheKeyboardGoingToAnotherWindowOrTheFieldLeavingTheTreeCancels) {
  openField();
  platform::WindowEvent lost;
  lost.type = WindowEventType::KeyboardLost;
  window->send(lost);
  EXPECT_EQ(edits.reports, (std::vector<std::string>{"cancel"}));
  EXPECT_EQ(frame->getFocusView(), nullptr);

  field->setText("1");
  frame->setFocusView(field);
  EXPECT_TRUE(window->holdsKeyboard());
  frame->removeView(field, true);
  EXPECT_EQ(edits.reports, (std::vector<std::string>{"cancel", "cancel"}));
  EXPECT_FALSE(window->holdsKeyboard());
}

TEST_F(TextEdit, ALeftDoubleClickOnAKnobGoesToItsListenerFirstAndATakenOneIsNoGesture) {
  struct DoubleClickListener : test::RecordingListener {
    std::int32_t controlDoubleClicked(CControl*) override { return ++taken, take; }
    int taken = 0;
    std::int32_t take = 1;
  } knobListener;
  openFrame(300, 200);
  auto* knob = new CKnob(CRect(100, 20, 153, 73), &knobListener, 4, nullptr);
  knob->setValue(0.5f);
  frame->addView(knob);

  window->mouseDown(110, 40, kLButton);
  window->mouseUp(110, 40, 0);
  window->mouseDown(110, 40, kLButton | kDoubleClick);
  window->mouseMove(110, 20, kLButton);
  window->mouseUp(110, 20, 0);
  EXPECT_EQ(knobListener.taken, 1);
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 4", "end 4"})) << "only the first press is a gesture";
  EXPECT_FLOAT_EQ(knob->getValue(), 0.5f) << "the taken press drags nothing";

  knobListener.take = 0;
  window->mouseDown(110, 40, kLButton | kDoubleClick);
  window->mouseUp(110, 40, 0);
  window->mouseDown(110, 40, kLButton | kShift | kDoubleClick);
  window->mouseUp(110, 40, 0);
  EXPECT_EQ(knobListener.taken, 2) << "a modified double-click is the knob's own";
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 4", "end 4", "begin 4", "end 4", "begin 4", "end 4"}));
}

}  // namespace
}  // namespace sorvane
