#include "gui/controls/ctextedit.h"

#include <algorithm>
#include <cstring>

#include "gui/draw/cdrawcontext.h"
#include "gui/draw/cfontdesc.h"

namespace sorvane {
namespace {

bool printable(std::int32_t character) { return character >= 0x20 && character < 0x7f; }

}  // namespace

CTextEdit::CTextEdit(const CRect& size, CTextEditListener* listener, int maxLength)
    : CView(size), listener_(listener), maxLength_(std::max(maxLength, 1)) {
  setFont(kNormalFontSmall);
}

CTextEdit::~CTextEdit() {
  if (font_) font_->forget();
}

void CTextEdit::setFont(CFontDesc* font) {
  if (font) font->remember();
  if (font_) font_->forget();
  font_ = font;
  changed();
}

void CTextEdit::setText(std::string_view text) {
  text_.clear();
  for (char c : text)
    if (printable(static_cast<unsigned char>(c)) && static_cast<int>(text_.size()) < maxLength_) text_.push_back(c);
  anchor_ = 0;
  caret_ = static_cast<int>(text_.size());
  open_ = true;
  changed();
}

void CTextEdit::changed() {
  setDirty(true);
  if (isAttached()) invalid();
}

int CTextEdit::textLeft() const {
  const int run = static_cast<int>(text_.size()) * kCellWidth;
  return size.left + (size.width() - run) / 2;
}

void CTextEdit::draw(CDrawContext* context) {
  context->setFillColor(backColor_);
  context->fillRect(size);
  context->setFrameColor(frameColor_);
  context->setLineWidth(1);
  context->drawRect(size);

  const int left = textLeft();
  const CRect inner(size.left + 1, size.top + 2, size.right - 1, size.bottom - 2);
  if (selectionStart() < selectionEnd()) {
    context->setFillColor(selectionColor_);
    CRect selected(left + selectionStart() * kCellWidth, inner.top, left + selectionEnd() * kCellWidth, inner.bottom);
    selected.bound(inner);
    context->fillRect(selected);
  }
  context->setFont(font_);
  for (size_t i = 0; i < text_.size(); ++i) {
    const int index = static_cast<int>(i);
    const bool selected = index >= selectionStart() && index < selectionEnd();
    context->setFontColor(selected ? selectedFontColor_ : fontColor_);
    const char cell[2] = {text_[i], 0};
    const int x = left + index * kCellWidth;
    context->drawString(cell, CRect(x, inner.top, x + kCellWidth, inner.bottom), kCenterText);
  }
  if (open_ && selectionStart() == selectionEnd()) {
    const int x = std::clamp(left + caret_ * kCellWidth, inner.left, inner.right - 1);
    context->setFrameColor(fontColor_);
    context->moveTo(CPoint(x, inner.top + 1));
    context->lineTo(CPoint(x, inner.bottom - 1));
  }
  setDirty(false);
}

CMouseEventResult CTextEdit::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (!open_) return kMouseEventNotHandled;
  if (buttons & kDoubleClick) {
    anchor_ = 0;
    caret_ = static_cast<int>(text_.size());
  } else {
    // The boundary nearest to the pointer.
    const int position = (where.x - textLeft() + kCellWidth / 2) / kCellWidth;
    moveCaret(position, (buttons & kShift) != 0);
  }
  changed();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CTextEdit::moveCaret(int position, bool extend) {
  caret_ = std::clamp(position, 0, static_cast<int>(text_.size()));
  if (!extend) anchor_ = caret_;
}

void CTextEdit::replaceSelection(std::string_view with) {
  const int start = selectionStart();
  text_.erase(static_cast<size_t>(start), static_cast<size_t>(selectionEnd() - start));
  const int room = maxLength_ - static_cast<int>(text_.size());
  const int taken = std::min(room, static_cast<int>(with.size()));
  text_.insert(static_cast<size_t>(start), with.substr(0, static_cast<size_t>(std::max(taken, 0))));
  anchor_ = caret_ = start + std::max(taken, 0);
}

std::int32_t CTextEdit::onKeyDown(CKeyCode& key) {
  if (!open_) return -1;
  // The field takes every key while it is open: none reaches a knob or the host.
  const bool shift = (key.modifier & platform::kKeyShift) != 0;
  const bool control = (key.modifier & (platform::kKeyControl | platform::kKeyCommand)) != 0;
  const int length = static_cast<int>(text_.size());
  // Hosts that pass keys on give some as characters only.
  std::uint8_t virt = key.virt;
  if (virt == 0) {
    switch (key.character) {
      case '\r':
      case '\n':
        virt = kVirtualKeyReturn;
        break;
      case 0x1b:
        virt = kVirtualKeyEscape;
        break;
      case '\b':
        virt = kVirtualKeyBack;
        break;
      case 0x7f:
        virt = kVirtualKeyDelete;
        break;
      default:
        break;
    }
  }
  switch (virt) {
    case kVirtualKeyReturn:
    case kVirtualKeyEnter:
      finish(true);
      return 1;
    case kVirtualKeyEscape:
      finish(false);
      return 1;
    case kVirtualKeyBack:
      if (selectionStart() == selectionEnd() && caret_ > 0) anchor_ = caret_ - 1;
      replaceSelection({});
      break;
    case kVirtualKeyDelete:
      if (selectionStart() == selectionEnd() && caret_ < length) anchor_ = caret_ + 1;
      replaceSelection({});
      break;
    case kVirtualKeyLeft:
      if (!shift && selectionStart() != selectionEnd())
        moveCaret(selectionStart(), false);
      else
        moveCaret(caret_ - 1, shift);
      break;
    case kVirtualKeyRight:
      if (!shift && selectionStart() != selectionEnd())
        moveCaret(selectionEnd(), false);
      else
        moveCaret(caret_ + 1, shift);
      break;
    case kVirtualKeyHome:
      moveCaret(0, shift);
      break;
    case kVirtualKeyEnd:
      moveCaret(length, shift);
      break;
    case 0:
      if (control) {
        if (key.character == 'a' || key.character == 'A') {
          anchor_ = 0;
          caret_ = length;
        }
      } else if (printable(key.character)) {
        const char typed = static_cast<char>(key.character);
        replaceSelection(std::string_view(&typed, 1));
      }
      break;
    default:
      break;
  }
  changed();
  return 1;
}

std::int32_t CTextEdit::onKeyUp(CKeyCode&) { return open_ ? 1 : -1; }

void CTextEdit::looseFocus() { finish(false); }

bool CTextEdit::finish(bool commit) {
  if (!open_) return false;
  open_ = false;
  changed();
  // The listener usually takes the field out of the tree: it stays whole
  // until this call is done.
  remember();
  if (CTextEditListener* listener = listener_) {
    if (commit)
      listener->textEditCommitted(this, text_);
    else
      listener->textEditCancelled(this);
  }
  forget();
  return true;
}

bool CTextEdit::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CTextEdit") == 0) return true;
  return CView::isTypeOf(className);
}

}  // namespace sorvane
