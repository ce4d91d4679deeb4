// Typing a knob's value: a double-click on a parameter's knob opens a text
// field over it with the value's text as the units model writes it ("+3.5
// dB", "4.6 kHz", "OFF"), all selected. Enter applies what the units model
// reads from the text as one gesture of the knob's (begin, one change, end),
// so a typed stepped position sets exactly what a click on its printed label
// sets; text that reads as no value changes nothing. Escape, a click beside
// the field or the keyboard going to another window cancel it; whichever
// ends it takes the field away. Closing the editor takes it away unreported.
//
// Thread contract: the host's user-interface thread only.
#pragma once

#include <string>

#include "gui/controls/ctextedit.h"
#include "plugin/units.h"

namespace sorvane {
class CControl;
class CFrame;
}  // namespace sorvane

namespace sorvane::editor {

class ValueEntry final : public CTextEditListener {
 public:
  explicit ValueEntry(const ParameterUnits& units) : units_(units) {}
  ~ValueEntry() override;
  ValueEntry(const ValueEntry&) = delete;
  ValueEntry& operator=(const ValueEntry&) = delete;

  // Opens the field over control (a knob of parameter control->getTag(),
  // attached to frame), closing one open elsewhere. False when the tag is no
  // parameter of the model.
  bool open(CFrame* frame, CControl* control);
  // The frame is about to go: the field goes with it, and nothing is applied.
  void frameClosing();
  // The open field, or null.
  CTextEdit* field() const { return field_; }

  void textEditCommitted(CTextEdit* edit, const std::string& text) override;
  void textEditCancelled(CTextEdit* edit) override;

 private:
  // Takes the field out of the frame; the control is let go.
  void close();

  ParameterUnits units_;
  CFrame* frame_ = nullptr;
  CTextEdit* field_ = nullptr;
  CControl* control_ = nullptr;  // one reference held while the field is open
};

}  // namespace sorvane::editor
