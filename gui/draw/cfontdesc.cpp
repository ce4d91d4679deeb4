#include "gui/draw/cfontdesc.h"

namespace sorvane {

void CFontDesc::setName(const char* name) {
  std::string n = name ? name : "";
  if (n == request_.name) return;
  request_.name = std::move(n);
  deviceFont_.reset();
}

void CFontDesc::setSize(int size) {
  if (size == request_.size) return;
  request_.size = size;
  deviceFont_.reset();
}

void CFontDesc::setStyle(int style) {
  if (style == request_.style) return;
  request_.style = style;
  deviceFont_.reset();
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
