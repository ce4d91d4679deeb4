// The about screen: a picture with the version label, shown by the splash
// area as the frame's modal view. Any click on it, with any button, closes it.
#pragma once

#include "gui/controls/csplashscreen.h"
#include "gui/views/cviewcontainer.h"

namespace sorvane::editor {

class CAboutContainer : public CViewContainer {
 public:
  CAboutContainer(const CRect& size, CFrame* frame, CBitmap* background);

  void setSplashScreen(CSplashScreen* splash) { splashScreen = splash; }
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool isTypeOf(const char* className) const override;

 private:
  CSplashScreen* splashScreen = nullptr;  // not owned: it owns us
};

}  // namespace sorvane::editor
