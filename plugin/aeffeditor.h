// Editor base that the host's editor opcodes reach. The effect owns one of
// these (or none); the toolkit editor derives from it.
#pragma once

#include "formats/vst2/aeffect.h"

class AudioEffect;

// Key code as the host delivers it with the key opcodes.
struct VstKeyCode {
  VstInt32 character;
  unsigned char virt;      // virtual key
  unsigned char modifier;  // modifier bits
};

class AEffEditor;

// Makes the editor of an effect (the product's entry file supplies one).
using EditorFactory = AEffEditor* (*)(AudioEffect* effect);

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
  virtual ~AEffEditor() = default;
  AEffEditor(const AEffEditor&) = delete;
  AEffEditor& operator=(const AEffEditor&) = delete;

  virtual AudioEffect* getEffect() { return effect; }
  virtual bool getRect(ERect** rect) {
    *rect = nullptr;
    return false;
  }
  virtual bool open(void* parentWindow) {
    systemWindow = parentWindow;
    return false;
  }
  virtual void close() { systemWindow = nullptr; }
  virtual bool isOpen() { return systemWindow != nullptr; }
  virtual void idle() {}
  virtual bool onKeyDown(VstKeyCode&) { return false; }
  virtual bool onKeyUp(VstKeyCode&) { return false; }
  virtual bool onWheel(float) { return false; }
  virtual bool setKnobMode(VstInt32) { return false; }
  // The effect forwards every parameter change so the matching control
  // follows. Any thread may call it (hosts automate from the audio thread).
  virtual void setParameter(VstInt32, float) {}
  // The effect asks for the preset display after a program or side change,
  // and for the program list after a name change. Any thread may call them;
  // an editor does the work on its own thread.
  virtual void refreshPresetDisplay() {}
  virtual void refreshProgramMenu() {}
  // The host's vendor-specific calls and capability questions that concern
  // the editor (its size, say): 0 for those it does not know.
  virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
  virtual VstInt32 canDo(const char*) { return 0; }

 protected:
  AudioEffect* effect;           // not owned
  void* systemWindow = nullptr;  // the host's parent window while open
};
