// Editor base that the host's editor opcodes reach. The effect owns one of
// these (or none); the toolkit editor derives from it.
#pragma once

#include "plugin/vst/aeffect.h"

class AudioEffect;

// Key code as the host delivers it with the key opcodes.
struct VstKeyCode {
  VstInt32 character;
  unsigned char virt;      // virtual key
  unsigned char modifier;  // modifier bits
};

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
  // The effect forwards every parameter change so the matching control follows.
  virtual void setParameter(VstInt32, float) {}

 protected:
  AudioEffect* effect;           // not owned
  void* systemWindow = nullptr;  // the host's parent window while open
};
