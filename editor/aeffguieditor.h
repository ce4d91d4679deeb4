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
// Thread contract: the host's user-interface thread only.
#pragma once

#include <cstdint>

#include "gui/views/cframe.h"
#include "gui/views/editor_interface.h"
#include "platform/ui_services.h"
#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"

namespace sorvane::editor {

class AEffGUIEditor : public AEffEditor, public GUIEditorInterface {
 public:
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
  // Redraws rect (any corner order) or, for null, the whole frame.
  virtual void draw(ERect* rect);

  void doIdleStuff() override;
  std::int32_t getKnobMode() const override { return knobMode; }
  void beginEdit(std::int32_t index) override;
  void endEdit(std::int32_t index) override;

  CFrame* getFrame() const { return frame; }
  const platform::UiServices& getServices() const { return services; }

 protected:
  CFrame* frame = nullptr;  // owned while open
  ERect rect{};
  std::uint32_t nextIdleTick;
  bool inIdleUpdate = false;  // set while the pump calls the host
  platform::UiServices services;
  AudioEffectX* effectX;  // the effect as the host-call operations need it

  // Shared by every editor of the library.
  static inline VstInt32 knobMode = kCircularMode;
};

}  // namespace sorvane::editor
