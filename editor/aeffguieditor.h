// The glue between the host's editor opcodes and the toolkit's frame: the
// window size, open and close, the idle pump, keys and the knob mode that
// every editor of the library shares. The product editor derives from it and
// supplies open, close and setParameter.
//
// Idle pump: the frame's redraw and the host's own idle run at most every
// 100 ms; a call that comes earlier sleeps 4 ms and gives up unless the
// time is within 50 ms of being due. Ticks are compared as signed
// differences, so the pump keeps going across the tick counter's wrap.
//
// Gestures: only a control whose tag is a parameter index tells the host it
// begins and ends an edit; the command controls' clicks stay inside.
//
// Modal calls: message boxes, file dialogs and pop-up menus run loops of
// their own, and the host keeps calling in meanwhile (idle, program
// changes, even close and open). Every service the editor hands on (to its
// frame and the toolkit, to the preset file operations, to its own code)
// reaches those three through a gate that counts the calls in progress
// (inModalCall) and notes what each was opened for: the window's opening,
// the program and whatever else modalContext adds. An answer given after
// that changed is stale and comes back as the neutral one (no choice, No,
// cancelled), so nothing acts on a state the user never saw.
//
// Sizes: the editor's size in percent (scaling.h) comes from three sources,
// the first that has one winning: the user's choice, the host's factor, the
// system's; with none, 100 %. The host sends its factor with
// effVendorSpecific ('PreS', 'AeCs', the factor in opt), which the editor
// announces with effCanDo("supportsViewDpiScaling"); effEditGetRect answers
// the window's size at the size in use. When that size changes while the
// panel is open, the next idle outside the editor's events and modal calls
// asks the host for the new window size (audioMasterSizeWindow) and, when
// the host agrees, resizes the window and redraws the panel at it. A host
// that refuses keeps the panel at its size until the next opening, which
// opens at the new one; the panel says so once for each size refused.
//
// The user's size is kept in the user's settings (platform/settings.h, the
// key "size": a supported size or "automatic"), read at the editor's first
// effEditGetRect or effEditOpen, and written by chooseScale; a file that
// says nothing usable is no choice, and a choice that cannot be written
// still holds for this editor. The system's size is asked at every opening
// (for the host's window) and whenever the rectangle is asked while closed
// (for the main screen); a change the open window reports (another screen,
// another setting) is taken up at the next idle, like any other.
//
// Thread contract: the host's user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/views/cframe.h"
#include "gui/views/editor_interface.h"
#include "platform/ui_services.h"
#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"

namespace sorvane::editor {

class AEffGUIEditor : public AEffEditor, public GUIEditorInterface {
 public:
  enum class ScaleSource { User, Host, System };
  // effVendorSpecific's index and value for the host's scale factor.
  static constexpr VstInt32 kScaleFactorIndex = 0x50726553;   // 'PreS'
  static constexpr VstIntPtr kScaleFactorValue = 0x41654373;  // 'AeCs'

  AEffGUIEditor(AudioEffect* effect, const platform::UiServices& services);
  ~AEffGUIEditor() override;

  bool getRect(ERect** rect) override;
  bool open(void* parentWindow) override;
  void close() override;
  void idle() override;
  bool onKeyDown(VstKeyCode& key) override;
  bool onKeyUp(VstKeyCode& key) override;
  bool onWheel(float) override { return false; }
  bool setKnobMode(VstInt32 mode) override;
  void setParameter(VstInt32, float) override {}
  // Redraws rect (the window's pixels, as effEditGetRect's; any corner
  // order) or, for null, the whole frame.
  virtual void draw(ERect* rect);

  void doIdleStuff() override;
  std::int32_t getKnobMode() const override { return knobMode; }
  void beginEdit(std::int32_t index) override;
  void endEdit(std::int32_t index) override;

  // Sets one source's size in percent (a supported size, else the supported
  // one nearest to it) or clears it (0); anything else is ignored.
  void setScale(ScaleSource source, int percent) noexcept;
  // The size in use: the first source that has one, else 100.
  int getScale() const noexcept;
  // One source's size, 0 when it has none.
  int getScale(ScaleSource source) const noexcept;
  // The user chooses a size (0: none, the host's or the system's then
  // rules): set, and kept in the user's settings. False when it could not
  // be kept (it holds for this editor all the same).
  bool chooseScale(int percent) noexcept;
  // The size the open panel is drawn at (it waits for the next idle, or the
  // next opening when the host refused); getScale() while closed.
  int getShownScale() const noexcept;
  VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
  VstInt32 canDo(const char* text) override;

  CFrame* getFrame() const { return frame; }
  const platform::UiServices& getServices() const { return services; }
  // True while a message box, file dialog or pop-up menu of this editor runs.
  bool inModalCall() const { return modalDepth > 0; }

 protected:
  // What a modal call's answer is checked against when the call returns.
  struct ModalContext {
    std::uint32_t opening = 0;  // the window's opening (0 while closed)
    VstInt32 program = 0;
    int side = 0;  // for editors of effects with sides; 0 otherwise
    bool operator==(const ModalContext&) const = default;
  };
  virtual ModalContext modalContext();
  // Each open gets a number of its own, so an answer given to one opening
  // is never taken for the next one's; 0 while closed.
  std::uint32_t opening() const { return currentOpening; }
  // The message boxes through the gate, for those that need a reference.
  platform::MessageBoxService& gatedMessages();
  // The panel's size in its own pixels (the window's is that at the size in use).
  void setPanelSize(int width, int height);
  // Applies a change of the size in use to the open panel, when it may be
  // done now (see the class comment).
  void applyScaleChange();
  // The host refused the window size for percent: tells the user, once.
  virtual void scaleChangeRefused(int percent);
  // The user's size from the settings, the first time only.
  void readUserScale() noexcept;
  // The system's size for a window in parent (null: the main screen).
  void readSystemScale(void* parent) noexcept;

  CFrame* frame = nullptr;  // owned while open
  ERect rect{};
  std::uint32_t nextIdleTick;
  bool inIdleUpdate = false;  // set while the pump calls the host
  // The host's services, with boxes, dialogs and menus through the gate.
  platform::UiServices services;
  AudioEffectX* effectX;  // the effect as the host-call operations need it

  // Shared by every editor of the library.
  static inline VstInt32 knobMode = kCircularMode;

 private:
  class ModalGate;
  std::unique_ptr<ModalGate> gate;
  int modalDepth = 0;
  std::uint32_t openings = 0;
  std::uint32_t currentOpening = 0;
  int panelWidth = 0, panelHeight = 0;
  int scales[3] = {0, 0, 0};  // by ScaleSource, 0 where a source has none
  int askingScale = 0;        // the size the host is being asked for, while it is
  int refusedScale = 0;       // the size the host refused in this opening
  bool userScaleRead = false;
  bool systemScaleRead = false;  // while closed: since the last opening
  int windowReportedScale = 0;   // the open window's last report of the system's size
};

}  // namespace sorvane::editor
