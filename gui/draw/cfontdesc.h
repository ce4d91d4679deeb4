// Font descriptions and the toolkit's standard fonts. The device font is
// made by the back end on first use and kept here until the name or size
// changes or the descriptor goes; an editor at another size draws with a
// device font of the mapped size, kept beside it (the standard fonts serve
// editors of every size at once).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "gui/cbaseobject.h"
#include "platform/draw.h"

namespace sorvane {

enum CTxtFace { kNormalFace = 0, kBoldFace = 1, kItalicFace = 2, kUnderlineFace = 4 };

class CFontDesc : public CBaseObject {
 public:
  CFontDesc(const char* name = "Arial", int size = 12, int style = 0) : request_{name ? name : "", size, style} {}

  const std::string& getName() const { return request_.name; }
  int getSize() const { return request_.size; }
  int getStyle() const { return request_.style; }
  void setName(const char* name);
  void setSize(int size);
  void setStyle(int style);

  const platform::FontRequest& request() const { return request_; }
  // The back end's device font for this description (may be empty until a
  // context draws with it).
  std::unique_ptr<platform::DeviceFont>& deviceFont() { return deviceFont_; }
  // The same for the font drawn pixelSize pixels high (the size's own for getSize()).
  std::unique_ptr<platform::DeviceFont>& deviceFont(int pixelSize);

 private:
  void forgetDeviceFonts();

  platform::FontRequest request_;
  std::unique_ptr<platform::DeviceFont> deviceFont_;
  std::map<int, std::unique_ptr<platform::DeviceFont>> sizedFonts_;
};

// Process-wide standard fonts, all plain.
extern CFontDesc* const kSystemFont;           // "Arial" 12
extern CFontDesc* const kNormalFontVeryBig;    // "Arial" 18
extern CFontDesc* const kNormalFontBig;        // "Arial" 14
extern CFontDesc* const kNormalFont;           // "Arial" 12
extern CFontDesc* const kNormalFontSmall;      // "Arial" 11
extern CFontDesc* const kNormalFontSmaller;    // "Arial" 10
extern CFontDesc* const kNormalFontVerySmall;  // "Arial" 9
extern CFontDesc* const kSymbolFont;           // "Symbol" 13

}  // namespace sorvane
