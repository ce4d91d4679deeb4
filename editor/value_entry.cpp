#include "editor/value_entry.h"

#include <algorithm>

#include "gui/controls/ccontrol.h"
#include "gui/draw/cfontdesc.h"
#include "gui/views/cframe.h"

namespace sorvane::editor {
namespace {

// The preset display's colours: ivory, a dark edge, black text; the
// selection in the amber of the section labels.
constexpr CColor kFieldBack{240, 234, 204, 255};
constexpr CColor kFieldEdge{48, 48, 48, 255};
constexpr CColor kFieldSelection{226, 150, 50, 255};
constexpr int kFieldHeight = 17;

}  // namespace

ValueEntry::~ValueEntry() { frameClosing(); }

bool ValueEntry::open(CFrame* frame, CControl* control) {
  if (!frame || !control || !control->isAttached()) return false;
  const int tag = control->getTag();
  char text[kValueTextCapacity] = {};
  if (tag < 0 || tag >= units_.parameterCount() || !units_.format(tag, control->getValue(), text)) return false;
  close();

  // Centred over the knob, kept inside the panel.
  const CRect knob = control->getViewSize();
  const CRect panel = frame->getViewSize();
  const int width = CTextEdit::kDefaultMaxLength * CTextEdit::kCellWidth + 6;
  int left = (knob.left + knob.right - width) / 2;
  int top = (knob.top + knob.bottom - kFieldHeight) / 2;
  left = std::clamp(left, 0, std::max(0, panel.width() - width));
  top = std::clamp(top, 0, std::max(0, panel.height() - kFieldHeight));

  auto* field = new CTextEdit(CRect(left, top, left + width, top + kFieldHeight), this);
  field->setFont(kNormalFontSmall);
  field->setBackColor(kFieldBack);
  field->setFrameColor(kFieldEdge);
  field->setFontColor(kBlackCColor);
  field->setSelectionColor(kFieldSelection);
  field->setSelectedFontColor(kBlackCColor);
  field->setText(text);
  // The frame takes our reference with its own; the field's removal lets both go.
  if (!frame->addView(field)) {
    field->forget();
    return false;
  }
  frame_ = frame;
  field_ = field;
  control_ = control;
  control_->remember();
  frame->setFocusView(field);
  return true;
}

void ValueEntry::close() {
  CTextEdit* field = field_;
  CControl* control = control_;
  CFrame* frame = frame_;
  field_ = nullptr;
  control_ = nullptr;
  frame_ = nullptr;
  if (field) {
    field->setListener(nullptr);
    if (frame && field->isAttached()) frame->removeView(field, true);
  }
  if (control) control->forget();
}

void ValueEntry::frameClosing() { close(); }

void ValueEntry::textEditCancelled(CTextEdit* edit) {
  if (edit == field_) close();
}

void ValueEntry::textEditCommitted(CTextEdit* edit, const std::string& text) {
  if (edit != field_) return;
  CControl* control = control_;
  control->remember();
  const std::optional<float> value = units_.parse(control->getTag(), text);
  close();
  // One gesture, whatever the value was: begin, the one change, end.
  if (value && control->isAttached()) {
    control->beginEdit();
    control->setValue(*value);
    if (CControlListener* listener = control->getListener()) listener->valueChanged(control);
    control->endEdit();
  }
  control->forget();
}

}  // namespace sorvane::editor
