// The plug-in's view: the effect's own editor, the same the VST build shows,
// opened as a child of the host's window ("X11EmbedWindowID" on Linux,
// "HWND" on Windows). VST3 has no idle call, so the view pumps the editor
// itself: on Linux from the run loop the host's frame lends (a timer, and
// the editor's X connection's file descriptor, both registered while
// attached), on Windows from a timer on the editor's own window.
//
// Its size is the editor's rectangle at the size in use; the user does not
// drag it larger, the panel's Size menu and the host's content scale factor
// change it, and the view asks the frame to resize (resizeView) as the VST
// build asks its host (audioMasterSizeWindow). Gestures reach the host's
// component handler through the plug-in.
//
// Thread contract: the host's user-interface thread only.
#pragma once

#include <atomic>
#include <cstring>

#include "editor/aeffguieditor.h"
#include "formats/vst3/interfaces.h"
#include "gui/draw/scaling.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(SORVANE_VST3_X11)
#include "platform/x11/x11_window.h"
#endif

namespace sorvane::vst3 {

class View;

// Live views of every product's plug-in, for the leak tests.
inline std::atomic<int> liveViews{0};

// What a view needs of its plug-in: its editor, and to be told while a
// view is attached (so the editor's size requests reach the view).
class ViewOwner {
 public:
  virtual editor::AEffGUIEditor* viewEditor() = 0;
  virtual void viewAttached(View* view) = 0;
  virtual FUnknown* viewOwnerObject() = 0;  // held for the view's lifetime

 protected:
  ~ViewOwner() = default;
};

#if defined(_WIN32) || !defined(SORVANE_VST3_X11)
class View final : public IPlugView, public IPlugViewContentScaleSupport {
#else
class View final : public IPlugView, public IPlugViewContentScaleSupport, public ITimerHandler, public IEventHandler {
#endif
 public:
  static constexpr uint64 kIdleMilliseconds = 20;

  explicit View(ViewOwner& owner) : owner_(owner) {
    owner_.viewOwnerObject()->addRef();
    ++liveViews;
  }

  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (sameUid(iid, FUnknown::iid) || sameUid(iid, IPlugView::iid))
      *obj = static_cast<IPlugView*>(this);
    else if (sameUid(iid, IPlugViewContentScaleSupport::iid))
      *obj = static_cast<IPlugViewContentScaleSupport*>(this);
#if !defined(_WIN32) && defined(SORVANE_VST3_X11)
    else if (sameUid(iid, ITimerHandler::iid))
      *obj = static_cast<ITimerHandler*>(this);
    else if (sameUid(iid, IEventHandler::iid))
      *obj = static_cast<IEventHandler*>(this);
#endif
    else
      return kNoInterface;
    addRef();
    return kResultOk;
  }
  uint32 SORVANE_VST3_API addRef() override { return ++references_; }
  uint32 SORVANE_VST3_API release() override {
    const uint32 left = --references_;
    if (left == 0) delete this;
    return left;
  }

  tresult SORVANE_VST3_API isPlatformTypeSupported(FIDString type) override {
    return type && std::strcmp(type, kPlatformType) == 0 ? kResultTrue : kResultFalse;
  }
  tresult SORVANE_VST3_API attached(void* parent, FIDString type) override {
    if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kInvalidArgument;
    editor::AEffGUIEditor* editor = owner_.viewEditor();
    // One panel per instance, as a VST host opens one editor.
    if (attached_ || !editor || editor->isOpen()) return kResultFalse;
    owner_.viewAttached(this);
    if (!editor->open(parent) || !editor->getFrame() || !editor->getFrame()->getSystemWindow()) {
      editor->close();
      owner_.viewAttached(nullptr);
      return kResultFalse;
    }
    attached_ = true;
    startPump();
    return kResultOk;
  }
  tresult SORVANE_VST3_API removed() override {
    if (!attached_) return kResultFalse;
    stopPump();
    attached_ = false;
    if (editor::AEffGUIEditor* editor = owner_.viewEditor()) editor->close();
    owner_.viewAttached(nullptr);
    return kResultOk;
  }
  // Keys and the wheel come to the editor's own window.
  tresult SORVANE_VST3_API onWheel(float) override { return kResultFalse; }
  tresult SORVANE_VST3_API onKeyDown(char16, int16, int16) override { return kResultFalse; }
  tresult SORVANE_VST3_API onKeyUp(char16, int16, int16) override { return kResultFalse; }
  tresult SORVANE_VST3_API getSize(ViewRect* size) override {
    if (!size) return kInvalidArgument;
    ERect* rect = nullptr;
    editor::AEffGUIEditor* editor = owner_.viewEditor();
    if (!editor || !editor->getRect(&rect) || !rect) return kResultFalse;
    *size = {0, 0, rect->right - rect->left, rect->bottom - rect->top};
    return kResultOk;
  }
  // The host's answer to a resize the view asked for, or a size of its own:
  // only the editor's size is taken.
  tresult SORVANE_VST3_API onSize(ViewRect* newSize) override {
    ViewRect own = {};
    if (!newSize || getSize(&own) != kResultOk) return kInvalidArgument;
    return newSize->right - newSize->left == own.right && newSize->bottom - newSize->top == own.bottom ? kResultOk
                                                                                                       : kResultFalse;
  }
  tresult SORVANE_VST3_API onFocus(TBool) override { return kResultOk; }
  tresult SORVANE_VST3_API setFrame(IPlugFrame* frame) override {
    if (frame == frame_) return kResultOk;
    if (attached_) stopPump();
    if (frame) frame->addRef();
    if (frame_) frame_->release();
    frame_ = frame;
    if (attached_) startPump();
    return kResultOk;
  }
  tresult SORVANE_VST3_API canResize() override { return kResultFalse; }
  tresult SORVANE_VST3_API checkSizeConstraint(ViewRect* rect) override {
    ViewRect own = {};
    if (!rect || getSize(&own) != kResultOk) return kInvalidArgument;
    rect->right = rect->left + own.right;
    rect->bottom = rect->top + own.bottom;
    return kResultTrue;
  }

  // The host's factor is one of the editor's size sources; a change while
  // open is applied at the next idle, as the VST build's.
  tresult SORVANE_VST3_API setContentScaleFactor(float factor) override {
    editor::AEffGUIEditor* editor = owner_.viewEditor();
    if (!editor || !(factor > 0.0f)) return kResultFalse;
    editor->setScale(editor::AEffGUIEditor::ScaleSource::Host, nearestEditorScale(factor));
    return kResultOk;
  }

  // The editor asks for a window of this size (the plug-in passes on
  // audioMasterSizeWindow): the frame resizes it, or the view stays.
  bool resizeTo(int width, int height) {
    if (!frame_) return false;
    ViewRect rect = {0, 0, width, height};
    return frame_->resizeView(this, &rect) == kResultOk;
  }

#if !defined(_WIN32) && defined(SORVANE_VST3_X11)
  void SORVANE_VST3_API onTimer() override { idle(); }
  void SORVANE_VST3_API onFDIsSet(int) override { idle(); }
#endif

 private:
#if defined(_WIN32)
  static constexpr FIDString kPlatformType = kPlatformTypeHWND;
#else
  static constexpr FIDString kPlatformType = kPlatformTypeX11EmbedWindowID;
#endif

  ~View() {
    if (attached_) removed();
    setFrame(nullptr);
    --liveViews;
    owner_.viewOwnerObject()->release();
  }

  void idle() {
    if (editor::AEffGUIEditor* editor = owner_.viewEditor(); attached_ && editor) editor->idle();
  }

#if defined(_WIN32)
  static void CALLBACK onWindowTimer(HWND, UINT, UINT_PTR id, DWORD) { reinterpret_cast<View*>(id)->idle(); }
  HWND editorWindow() {
    editor::AEffGUIEditor* editor = owner_.viewEditor();
    return editor && editor->getFrame() ? static_cast<HWND>(editor->getFrame()->getSystemWindow()) : nullptr;
  }
  void startPump() {
    if (HWND window = editorWindow())
      pumping_ = SetTimer(window, reinterpret_cast<UINT_PTR>(this), kIdleMilliseconds, onWindowTimer) != 0;
  }
  void stopPump() {
    if (pumping_)
      if (HWND window = editorWindow()) KillTimer(window, reinterpret_cast<UINT_PTR>(this));
    pumping_ = false;
  }
  bool pumping_ = false;
#elif defined(SORVANE_VST3_X11)
  int connectionDescriptor() {
    editor::AEffGUIEditor* editor = owner_.viewEditor();
    auto* window = editor && editor->getFrame()
                       ? dynamic_cast<platform::x11::X11Window*>(editor->getFrame()->getNativeWindow())
                       : nullptr;
    return window && window->display() ? ConnectionNumber(window->display()) : -1;
  }
  void startPump() {
    if (!frame_ || runLoop_) return;
    if (frame_->queryInterface(reinterpret_cast<const char*>(IRunLoop::iid.data()),
                               reinterpret_cast<void**>(&runLoop_)) != kResultOk) {
      runLoop_ = nullptr;
      return;
    }
    runLoop_->registerTimer(static_cast<ITimerHandler*>(this), kIdleMilliseconds);
    const int descriptor = connectionDescriptor();
    if (descriptor >= 0) runLoop_->registerEventHandler(static_cast<IEventHandler*>(this), descriptor);
  }
  void stopPump() {
    if (!runLoop_) return;
    runLoop_->unregisterEventHandler(static_cast<IEventHandler*>(this));
    runLoop_->unregisterTimer(static_cast<ITimerHandler*>(this));
    runLoop_->release();
    runLoop_ = nullptr;
  }
  IRunLoop* runLoop_ = nullptr;
#else
void startPump() {}
void stopPump() {}
#endif

  ViewOwner& owner_;
  std::atomic<uint32> references_{1};
  IPlugFrame* frame_ = nullptr;
  bool attached_ = false;
};

}  // namespace sorvane::vst3
