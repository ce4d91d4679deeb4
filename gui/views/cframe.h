// The root of the view tree and the owner of the editor's native window.
// The frame is the window's client: the native back end hands it every
// event, and handleWindowEvent (event_dispatch.cpp) turns each into the view
// calls below. Beyond a container, the frame keeps the modal view (drawn over
// everything, gets every mouse event), the focus view (gets keys first), the
// mouse-over view (gets entered and exited), and the editor it reports to.
//
// Mouse gestures: a press a view takes makes it the mouse-down view until
// the button is up. Whatever ends a gesture early (a second button pressed,
// the capture lost, the view removed, the window gone) gives the view its
// mouse-up first, so the host sees each gesture as one begin and one end. A
// press while another button is held is no click of its own.
//
// Construction: the container with the size; a child window of the parent
// through the window service; drag and drop registered. A frame whose window
// could not be made reports isWindowOpen() false.
//
// Sizes: the view tree lives in the panel's pixels (the frame's size is the
// panel's) at every size of the editor. The frame maps them to the window's
// pixels by its scale (scaling.h): the window is made at the mapped size,
// invalid rectangles are mapped to window areas, a paint area back to the
// panel rectangle that covers it, and every pointer position to the panel
// pixel under it. So a knob drag is the same distance in the panel at every
// size, and each zone table holds as written.
// Keyboard: while the focus view takes every key (a text field), the window
// holds the system's keyboard focus; it hands it back when that view loses
// the focus, and the view loses the focus when the system gives the
// keyboard to another window. A press inside that view leaves its focus.
//
// Destruction: a gesture in progress is ended (its view gets the mouse-up, so
// the host gets its end of edit), the modal view is taken out without being
// released (its owner releases it), the children are released, then the
// window goes.
//
// Thread contract: the host's user-interface thread only.
#pragma once

#include <memory>

#include "gui/views/cviewcontainer.h"
#include "gui/views/editor_interface.h"
#include "platform/ui_services.h"
#include "platform/window.h"

namespace sorvane {

class CFrame : public CViewContainer, public platform::WindowClient {
 public:
  // scalePercent: one of kEditorScales, else 100.
  CFrame(const CRect& size, void* parentWindow, GUIEditorInterface* editor,
         const platform::UiServices& services = platform::nativeUiServices(), int scalePercent = 100);
  ~CFrame() override;

  bool isWindowOpen() const { return window_ != nullptr && !windowGone_; }
  // The host's window that holds ours.
  void* getParentWindow() const { return parentWindow_; }
  // Our own system window (owner of dialogs and boxes), or null.
  void* getSystemWindow() const;
  platform::NativeWindow* getNativeWindow() const { return windowGone_ ? nullptr : window_.get(); }
  const platform::UiServices& getServices() const { return services_; }
  GUIEditorInterface* getEditor() const { return editor_; }

  // Refused while another modal view is set, or for a view that is already
  // attached; null clears (the old one leaves the tree unreleased).
  bool setModalView(CView* view);
  CView* getModalView() const { return modalView_; }
  void setFocusView(CView* view);
  CView* getFocusView() const { return focusView_; }
  // Moves the focus to the next (previous) top-level view that wants it.
  bool advanceNextFocusView(CView* oldFocus, bool reverse = false);
  CView* getMouseOverView() const { return mouseOverView_; }

  std::int32_t getKnobMode() const;
  // Delivers the window's queued events, redraws what controls have marked
  // dirty, then paints.
  void idle();
  void doIdleStuff() override;
  // A user gesture on the control with this tag starts or ends.
  void beginEdit(std::int32_t tag);
  void endEdit(std::int32_t tag);
  void setDropActive(bool active);
  bool isDropActive() const { return dropActive_; }
  // Paints the invalid parts of the window now.
  void updateWindow();

  // The editor's size in percent.
  int getScale() const { return scale_; }
  // Resizes the window to the panel at percent and redraws it all. Call it
  // outside the window's own events. False, and nothing changed, for a size
  // that is not supported or a window that could not be resized.
  bool setScale(int percent);
  // The window's size for the panel at percent.
  CPoint windowSizeAt(int percent) const;
  // Panel coordinates to the window's and back.
  CPoint panelToWindow(const CPoint& point) const;
  CRect panelToWindow(const CRect& rect) const;
  CPoint windowToPanel(const CPoint& point) const;
  // True while the window hands the frame one of its events.
  bool isHandlingEvent() const { return eventDepth_ > 0; }

  // A view leaves the tree: it stops being the modal, focus, mouse-over or
  // wheel view, and a gesture it is in is ended first.
  void onViewRemoved(CView* view);
  // The view that took the mouse-down gets its mouse-up now (capture lost,
  // window closing, view removed, a second button pressed).
  void endMouseGesture();

  // The root's rectangle is in the window's coordinates, which are the
  // frame's own: its size starts at 0, 0.
  void invalidRect(const CRect& rect) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
               const CButtonState& buttons) override;
  using CViewContainer::onWheel;
  std::int32_t onKeyDown(CKeyCode& key) override;
  std::int32_t onKeyUp(CKeyCode& key) override;
  bool onDrop(CDragContainer* drag, const CPoint& where) override;
  void onDragEnter(CDragContainer* drag, const CPoint& where) override;
  void onDragLeave(CDragContainer* drag, const CPoint& where) override;
  void onDragMove(CDragContainer* drag, const CPoint& where) override;
  bool isTypeOf(const char* className) const override;

  // The native window's events (event_dispatch.cpp).
  platform::WindowEventResult handleWindowEvent(const platform::WindowEvent& event) override;

 private:
  // The view that takes a wheel at where: the modal view, or the top-level
  // child under the pointer.
  CView* wheelTargetAt(const CPoint& where) const;
  void windowDestroyed();
  void keyboardLost();
  // The window holds the keyboard focus while the focus view takes the keys.
  void holdKeyboardForFocusView();
  // endMouseGesture with the mouse-up at point (frame coordinates) and buttons.
  void endMouseGestureAt(const CPoint& point, const CButtonState& buttons);

  GUIEditorInterface* editor_;
  void* parentWindow_;
  platform::UiServices services_;
  std::unique_ptr<platform::NativeWindow> window_;
  bool windowGone_ = false;  // the system destroyed the window under us
  CView* modalView_ = nullptr;
  CView* focusView_ = nullptr;
  CView* mouseOverView_ = nullptr;
  CView* dragView_ = nullptr;
  bool mouseLeaveArmed_ = false;
  bool dropActive_ = false;
  bool keyboardHeld_ = false;  // the window holds the system's keyboard focus for the focus view
  int scale_ = 100;
  int eventDepth_ = 0;
  // Event state kept between native events.
  CPoint lastPoint_;
  CButtonState lastButtons_ = 0;
  bool lastPressIgnored_ = false;  // the last press came while another button was held
  CView* wheelView_ = nullptr;     // the view the wheel remainder belongs to
  int wheelRemainder_ = 0;         // system units not yet a whole notch
};

}  // namespace sorvane
