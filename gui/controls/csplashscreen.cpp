#include "gui/controls/csplashscreen.h"

#include <cstring>

#include "gui/views/cframe.h"

namespace sorvane {

CSplashScreen::CSplashScreen(const CRect& size, CControlListener* listener, std::int32_t tag, CView* modalView)
    : CControl(size, listener, tag, nullptr), modalView(modalView) {}

CSplashScreen::~CSplashScreen() {
  if (modalView) modalView->forget();
}

void CSplashScreen::draw(CDrawContext*) { setDirty(false); }

CMouseEventResult CSplashScreen::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!(buttons & kLButton)) return kMouseEventNotHandled;
  value = clampedValue() == 0.0f ? 1.0f : 0.0f;
  if (value == 1.0f && modalView && parentFrame && parentFrame->setModalView(modalView)) reportValue();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CSplashScreen::unSplash() {
  value = 0.0f;
  if (parentFrame && modalView && parentFrame->getModalView() == modalView) {
    modalView->invalid();
    parentFrame->setModalView(nullptr);
  }
}

bool CSplashScreen::isTypeOf(const char* className) const {
  if (className && std::strcmp(className, "CSplashScreen") == 0) return true;
  return CControl::isTypeOf(className);
}

}  // namespace sorvane
