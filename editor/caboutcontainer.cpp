#include "editor/caboutcontainer.h"

#include <cstring>

namespace sorvane::editor {

CAboutContainer::CAboutContainer(const CRect& size, CFrame* frame, CBitmap* background)
    : CViewContainer(size, frame, background) {}

CMouseEventResult CAboutContainer::onMouseDown(CPoint& where, const CButtonState& buttons) {
  CViewContainer::onMouseDown(where, buttons);
  if (splashScreen) splashScreen->unSplash();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool CAboutContainer::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CAboutContainer") == 0) return true;
  return CViewContainer::isTypeOf(className);
}

}  // namespace sorvane::editor
