// Text controls. CParamDisplay draws a text (its value as "%2.2f", or what a
// conversion callback makes of it) over its background in one line; the
// style bits choose a shadow, 3-D edges, no frame, no text or no drawing at
// all. CTextLabel draws a text of its own instead of the value.
#pragma once

#include <string>

#include "gui/controls/ccontrol.h"
#include "gui/draw/ccolor.h"
#include "gui/draw/cdrawcontext.h"

namespace sorvane {

class CFontDesc;

enum CParamDisplayStyle : std::int32_t {
  kShadowText = 1 << 2,
  k3DIn = 1 << 7,
  k3DOut = 1 << 8,
  kPopupStyle = 1 << 9,
  kCheckStyle = 1 << 10,
  kMultipleCheckStyle = kCheckStyle | 1,  // only its low bit is tested
  kNoTextStyle = 1 << 11,
  kNoDrawStyle = 1 << 12,
  kNoFrame = 1 << 14,
};

class CParamDisplay : public CControl {
 public:
  // Writes the text for a value into a buffer of 256 bytes.
  using StringConvert = void (*)(float value, char* text, void* userData);

  CParamDisplay(const CRect& size, CBitmap* background = nullptr, std::int32_t style = 0);
  ~CParamDisplay() override;

  void draw(CDrawContext* context) override;
  bool isTypeOf(const char* className) const override;

  void setFont(CFontDesc* font);
  CFontDesc* getFont() const { return font; }
  void setFontColor(const CColor& color) { fontColor = color; }
  CColor getFontColor() const { return fontColor; }
  void setBackColor(const CColor& color) { backColor = color; }
  CColor getBackColor() const { return backColor; }
  void setFrameColor(const CColor& color) { frameColor = color; }
  void setShadowColor(const CColor& color) { shadowColor = color; }
  void setHoriAlign(CHoriTxtAlign align) { horiTxtAlign = align; }
  CHoriTxtAlign getHoriAlign() const { return horiTxtAlign; }
  void setStyle(std::int32_t s) { style = s; }
  std::int32_t getStyle() const { return style; }
  void setTextTransparency(bool state) { textTransparencyEnabled = state; }
  void setAntialias(bool state) { antialias = state; }
  void setStringConvert(StringConvert convert, void* userData = nullptr) {
    stringConvert = convert;
    stringConvertData = userData;
  }

 protected:
  // Background, edges and text, in that order; background is used in place
  // of the control's own bitmap when given.
  void drawText(CDrawContext* context, const char* text, CBitmap* backgroundOverride = nullptr);

  CFontDesc* font = nullptr;  // one reference held
  CColor fontColor = kWhiteCColor;
  CColor backColor = kBlackCColor;
  CColor frameColor = kBlackCColor;
  CColor shadowColor = kRedCColor;
  CHoriTxtAlign horiTxtAlign = kCenterText;
  std::int32_t style;
  bool textTransparencyEnabled = true;
  bool antialias = true;
  StringConvert stringConvert = nullptr;
  void* stringConvertData = nullptr;
};

class CTextLabel : public CParamDisplay {
 public:
  CTextLabel(const CRect& size, const char* text = nullptr, CBitmap* background = nullptr, std::int32_t style = 0);

  void setText(const char* text);
  const char* getText() const { return text.c_str(); }
  void draw(CDrawContext* context) override;
  bool isTypeOf(const char* className) const override;

 protected:
  std::string text;
};

}  // namespace sorvane
