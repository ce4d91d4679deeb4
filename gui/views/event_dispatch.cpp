// The one translation from native window events to frame calls. Every back
// end (Win32, X11, headless) converts its system's messages into
// WindowEvents and hands them here, so what a click, a wheel turn or a lost
// capture does is decided once, for all of them. Positions and paint areas
// come in the window's pixels and go on in the panel's.
#include "gui/draw/cdrawcontext.h"
#include "gui/draw/scaling.h"
#include "gui/views/cdragcontainer.h"
#include "gui/views/cframe.h"

namespace sorvane {

platform::WindowEventResult CFrame::handleWindowEvent(const platform::WindowEvent& event) {
  using Type = platform::WindowEventType;
  platform::WindowEventResult answer;
  // A handler may close the editor, which releases the frame: it stays whole
  // until this event is done.
  remember();
  ++eventDepth_;
  CPoint where = windowToPanel(CPoint(event.x, event.y));
  switch (event.type) {
    case Type::MouseDown:
      lastPoint_ = where;
      lastButtons_ = event.buttons;
      answer.captureMouse = onMouseDown(where, event.buttons) == kMouseEventHandled;
      answer.consumed = true;
      break;
    case Type::MouseUp:
      lastPoint_ = where;
      lastButtons_ = event.buttons;
      onMouseUp(where, event.buttons);
      answer.consumed = true;
      break;
    case Type::MouseMove:
      lastPoint_ = where;
      lastButtons_ = event.buttons;
      onMouseMoved(where, event.buttons);
      answer.consumed = true;
      break;
    case Type::MouseLeave: {
      CPoint origin(0, 0);
      onMouseExited(origin, lastButtons_);
      answer.consumed = true;
      break;
    }
    case Type::Wheel: {
      // Fine wheels and touch pads send parts of a notch: they add up for
      // the view under the pointer until they make whole notches.
      CView* target = wheelTargetAt(where);
      if (target != wheelView_) {
        wheelView_ = target;
        wheelRemainder_ = 0;
      }
      if (!target) break;
      wheelRemainder_ += event.wheelDelta;
      const int notches = wheelRemainder_ / platform::kWheelDeltaPerNotch;
      wheelRemainder_ -= notches * platform::kWheelDeltaPerNotch;
      if (notches == 0) {
        answer.consumed = true;  // held for the same view
        break;
      }
      const float distance = static_cast<float>(notches);
      answer.consumed = onWheel(where, event.horizontal ? kMouseWheelAxisX : kMouseWheelAxisY, distance,
                                event.buttons & (kShift | kControl | kAlt));
      break;
    }
    case Type::CaptureLost:
      endMouseGesture();
      break;
    case Type::KeyDown: {
      CKeyCode key = event.key;
      answer.consumed = onKeyDown(key) > 0;
      break;
    }
    case Type::KeyUp: {
      CKeyCode key = event.key;
      answer.consumed = onKeyUp(key) > 0;
      break;
    }
    case Type::Paint:
      if (event.device) {
        CDrawContext context(*event.device, this);
        context.setScale(scale_);
        context.limitToDevice(event.area);
        const CRect area = coveringPanelRect(event.area, scale_);
        context.setClipRect(area);
        drawRect(&context, area);
      }
      break;
    case Type::DragEnter:
    case Type::DragMove:
    case Type::DragLeave:
    case Type::Drop: {
      auto* drag = new CDragContainer(event.files);
      if (event.type == Type::DragEnter) onDragEnter(drag, where);
      if (event.type == Type::DragMove) onDragMove(drag, where);
      if (event.type == Type::DragLeave) onDragLeave(drag, where);
      if (event.type == Type::Drop) answer.acceptDrop = onDrop(drag, where);
      drag->forget();
      break;
    }
    case Type::Destroy:
      windowDestroyed();
      break;
    case Type::KeyboardLost:
      keyboardLost();
      break;
  }
  --eventDepth_;
  forget();
  return answer;
}

}  // namespace sorvane
