#include "gui/controls/cparamdisplay.h"

#include <cstdio>
#include <cstring>

#include "gui/draw/cbitmap.h"
#include "gui/draw/cfontdesc.h"

namespace sorvane {

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, std::int32_t style)
    : CControl(size, nullptr, 0, background), style(style) {
  setFont(kNormalFont);
}

CParamDisplay::~CParamDisplay() {
  if (font) font->forget();
}

void CParamDisplay::setFont(CFontDesc* newFont) {
  if (newFont) newFont->remember();
  if (font) font->forget();
  font = newFont;
  setDirty();
}

void CParamDisplay::draw(CDrawContext* context) {
  char text[256] = {};
  if (stringConvert)
    stringConvert(clampedValue(), text, stringConvertData);
  else
    std::snprintf(text, sizeof(text), "%2.2f", static_cast<double>(clampedValue()));
  drawText(context, text);
}

void CParamDisplay::drawText(CDrawContext* context, const char* text, CBitmap* backgroundOverride) {
  setDirty(false);
  if (style & kNoDrawStyle) return;

  CBitmap* bitmap = backgroundOverride ? backgroundOverride : background;
  if (bitmap) {
    if (transparencyEnabled)
      bitmap->drawTransparent(context, size);
    else
      bitmap->draw(context, size);
  } else if (!transparencyEnabled) {
    context->setFillColor(backColor);
    context->fillRect(size);
    if (!(style & (k3DIn | k3DOut | kNoFrame))) {
      context->setFrameColor(frameColor);
      context->drawRect(size);
    }
  }

  if (style & (k3DIn | k3DOut)) {
    // Light from the top-left: raised edges are light there, sunken ones dark.
    const CColor topLeft = (style & k3DIn) ? frameColor : backColor;
    const CColor bottomRight = (style & k3DIn) ? backColor : frameColor;
    context->setFrameColor(topLeft);
    context->moveTo(CPoint(size.left, size.bottom - 1));
    context->lineTo(CPoint(size.left, size.top));
    context->lineTo(CPoint(size.right, size.top));
    context->setFrameColor(bottomRight);
    context->moveTo(CPoint(size.right - 1, size.top + 1));
    context->lineTo(CPoint(size.right - 1, size.bottom - 1));
    context->lineTo(CPoint(size.left, size.bottom - 1));
  }

  if ((style & kNoTextStyle) || text == nullptr || *text == '\0') return;
  CRect oldClip;
  context->getClipRect(oldClip);
  CRect clip = size;
  clip.bound(oldClip);
  context->setClipRect(clip);
  context->setFont(font);
  if (style & kShadowText) {
    CRect shadow = size;
    shadow.offset(1, 1);
    context->setFontColor(shadowColor);
    context->drawString(text, shadow, horiTxtAlign);
  }
  context->setFontColor(fontColor);
  context->drawString(text, size, horiTxtAlign);
  context->setClipRect(oldClip);
}

bool CParamDisplay::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CParamDisplay") == 0) return true;
  return CControl::isTypeOf(className);
}

CTextLabel::CTextLabel(const CRect& size, const char* text, CBitmap* background, std::int32_t style)
    : CParamDisplay(size, background, style) {
  setText(text);
}

void CTextLabel::setText(const char* newText) {
  text = newText ? newText : "";
  setDirty();
}

void CTextLabel::draw(CDrawContext* context) { drawText(context, text.c_str()); }

bool CTextLabel::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CTextLabel") == 0) return true;
  return CParamDisplay::isTypeOf(className);
}

}  // namespace sorvane
