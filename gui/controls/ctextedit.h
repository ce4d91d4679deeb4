// A one-line text field for typing a value: the text, a selection and a
// caret, edited by the keys while the field is the frame's focus view (it
// takes every key then, and the frame holds the system's keyboard focus for
// it). Typing replaces the selection; Backspace and Delete remove it or the
// character beside the caret; Left, Right, Home and End move the caret (with
// Shift they extend the selection); Control + A selects all. Only printable
// ASCII is taken, at most maxLength characters.
//
// Enter reports the text to the listener; Escape, or the focus going
// elsewhere (a click beside the field, the view leaving the tree), reports a
// cancel. Either is reported once: the field is closed from then on and the
// listener decides whether to take it away.
//
// The text is set in cells of one width, each character centred in its own,
// so the caret and the selection sit on the same boundaries at every size
// and in every back end without measuring the font.
//
// Thread contract: the host's user-interface thread only.
#pragma once

#include <string>
#include <string_view>

#include "gui/draw/ccolor.h"
#include "gui/views/cview.h"

namespace sorvane {

class CFontDesc;
class CTextEdit;

class CTextEditListener {
 public:
  virtual ~CTextEditListener() = default;
  virtual void textEditCommitted(CTextEdit* edit, const std::string& text) = 0;
  virtual void textEditCancelled(CTextEdit* edit) = 0;
};

class CTextEdit : public CView {
 public:
  static constexpr int kDefaultMaxLength = 10;
  // The width of one character's cell, in panel pixels.
  static constexpr int kCellWidth = 7;

  CTextEdit(const CRect& size, CTextEditListener* listener, int maxLength = kDefaultMaxLength);
  ~CTextEdit() override;

  // Replaces the text (cut to the length limit, non-printable characters
  // left out) and selects all of it; the field is open again.
  void setText(std::string_view text);
  const std::string& getText() const { return text_; }
  int getMaxLength() const { return maxLength_; }
  // The selection is selectionStart .. selectionEnd (exclusive); the caret
  // is at one of its ends.
  int selectionStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
  int selectionEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
  int caret() const { return caret_; }
  bool isOpen() const { return open_; }
  // No more reports after this (the listener is going).
  void setListener(CTextEditListener* listener) { listener_ = listener; }

  void setFont(CFontDesc* font);
  void setFontColor(const CColor& color) { fontColor_ = color; }
  void setBackColor(const CColor& color) { backColor_ = color; }
  void setFrameColor(const CColor& color) { frameColor_ = color; }
  void setSelectionColor(const CColor& color) { selectionColor_ = color; }
  void setSelectedFontColor(const CColor& color) { selectedFontColor_ = color; }

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  std::int32_t onKeyDown(CKeyCode& key) override;
  std::int32_t onKeyUp(CKeyCode& key) override;
  void looseFocus() override;
  bool takesKeyboard() const override { return true; }
  bool isTypeOf(const char* className) const override;

 private:
  // Where the first cell starts, in the parent's coordinates.
  int textLeft() const;
  void moveCaret(int position, bool extend);
  void replaceSelection(std::string_view with);
  void changed();
  // Closes the field and tells the listener; false when it was closed already.
  bool finish(bool commit);

  CTextEditListener* listener_;
  int maxLength_;
  std::string text_;
  int anchor_ = 0;  // the selection's fixed end
  int caret_ = 0;   // its moving end, where the caret shows
  bool open_ = true;
  CFontDesc* font_ = nullptr;
  CColor fontColor_ = kBlackCColor;
  CColor backColor_ = kWhiteCColor;
  CColor frameColor_ = kBlackCColor;
  CColor selectionColor_ = kBlackCColor;
  CColor selectedFontColor_ = kWhiteCColor;
};

}  // namespace sorvane
