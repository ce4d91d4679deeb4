// The VST 2.x extensions of the dispatch frame: opcodes 25 to 79 and the
// product strings. Answers not overridden by an effect are the neutral ones
// a host expects from a plain stereo effect.
#pragma once

#include "plugin/audioeffect.h"

class AudioEffectX : public AudioEffect {
 public:
  using AudioEffect::AudioEffect;

  VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

  virtual bool canParameterBeAutomated(VstInt32) { return true; }
  virtual bool string2parameter(VstInt32, char*) { return false; }
  virtual bool getParameterProperties(VstInt32, void*) { return false; }
  virtual bool beginEdit(VstInt32 index);
  virtual bool endEdit(VstInt32 index);
  virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
  virtual bool updateDisplay();
  virtual bool ioChanged();
  virtual VstInt32 getPlugCategory();
  virtual bool setBypass(bool) { return false; }
  virtual VstInt32 canDo(char*) { return 0; }
  // Passed to the editor, if there is one.
  virtual VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
  // Asks the host to make the editor's window width × height; true when it did.
  virtual bool sizeWindow(VstInt32 width, VstInt32 height);
  virtual VstInt32 getGetTailSize() { return 0; }
  virtual VstInt32 getVstVersion() { return 2400; }
  virtual VstInt32 getCurrentMidiProgram() { return -1; }
  virtual bool getEffectName(char*) { return false; }
  virtual bool getVendorString(char*) { return false; }
  virtual bool getProductString(char*) { return false; }
  virtual VstInt32 getVendorVersion() { return 0; }
};
