// A click area that shows another view (the about screen) as the frame's
// modal view. It owns that view: the reference handed over at construction
// is released with the splash screen.
#pragma once

#include "gui/controls/ccontrol.h"

namespace sorvane {

class CSplashScreen : public CControl {
 public:
  CSplashScreen(const CRect& size, CControlListener* listener, std::int32_t tag, CView* modalView);
  ~CSplashScreen() override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool isTypeOf(const char* className) const override;
  // Hides the shown view again.
  virtual void unSplash();
  CView* getModalView() const { return modalView; }

 protected:
  CView* modalView;
};

}  // namespace sorvane
