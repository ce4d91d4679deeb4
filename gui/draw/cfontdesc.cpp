#include "gui/draw/cfontdesc.h"

namespace sorvane {

std::unique_ptr<platform::DeviceFont>& CFontDesc::deviceFont(int pixelSize) {
  if (pixelSize == request_.size) return deviceFont_;
  return sizedFonts_[pixelSize];
}

void CFontDesc::forgetDeviceFonts() {
  deviceFont_.reset();
  sizedFonts_.clear();
}

void CFontDesc::setName(const char* name) {
  std::string n = name ? name : "";
  if (n == request_.name) return;
  request_.name = std::move(n);
  forgetDeviceFonts();
}

void CFontDesc::setSize(int size) {
  if (size == request_.size) return;
  request_.size = size;
  forgetDeviceFonts();
}

void CFontDesc::setStyle(int style) {
  if (style == request_.style) return;
  request_.style = style;
  forgetDeviceFonts();
}

namespace {
// Live for the whole process; their device fonts go with them at unload.
CFontDesc systemFont("Arial", 12);
CFontDesc veryBig("Arial", 18);
CFontDesc big("Arial", 14);
CFontDesc normal("Arial", 12);
CFontDesc small("Arial", 11);
CFontDesc smaller("Arial", 10);
CFontDesc verySmall("Arial", 9);
CFontDesc symbol("Symbol", 13);
}  // namespace

CFontDesc* const kSystemFont = &systemFont;
CFontDesc* const kNormalFontVeryBig = &veryBig;
CFontDesc* const kNormalFontBig = &big;
CFontDesc* const kNormalFont = &normal;
CFontDesc* const kNormalFontSmall = &small;
CFontDesc* const kNormalFontSmaller = &smaller;
CFontDesc* const kNormalFontVerySmall = &verySmall;
CFontDesc* const kSymbolFont = &symbol;

}  // namespace sorvane
