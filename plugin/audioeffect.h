// The dispatch frame between a VST 2.4 host and an effect object: the host
// holds the embedded AEffect record, whose callbacks find the object through
// its `object` field and call the virtual operations below.
//
// Thread contract: the dispatcher runs on the host's user-interface thread;
// processReplacing/processDoubleReplacing and possibly setParameter run on
// its audio thread. Nothing here locks or allocates.
#pragma once

#include <limits>

#include "formats/vst2/aeffect.h"
#include "plugin/shared_field.h"

class AEffEditor;

class AudioEffect {
 public:
  AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
  virtual ~AudioEffect();
  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

  virtual void open() {}
  virtual void close() {}
  virtual void suspend() {}
  virtual void resume() {}
  // A rate that is not finite or not positive would make every coefficient,
  // and so every output sample, NaN for good: it is ignored, and the last
  // good rate stays.
  virtual void setSampleRate(float rate) {
    if (rate > 0.0f && rate <= std::numeric_limits<float>::max()) sampleRate = rate;
  }
  virtual void setBlockSize(VstInt32 size) { blockSize = size; }

  virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
  virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

  virtual void setParameter(VstInt32, float) {}
  virtual float getParameter(VstInt32) { return 0.0f; }
  virtual void setParameterAutomated(VstInt32 index, float value);

  virtual VstInt32 getProgram() { return curProgram; }
  virtual void setProgram(VstInt32 program) { curProgram = program; }
  virtual void setProgramName(char*) {}
  virtual void getProgramName(char* name) { name[0] = 0; }

  virtual void getParameterLabel(VstInt32, char* label) { label[0] = 0; }
  virtual void getParameterDisplay(VstInt32, char* text) { text[0] = 0; }
  virtual void getParameterName(VstInt32, char* text) { text[0] = 0; }

  virtual VstInt32 getChunk(void** data, bool isPreset = false);
  virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);

  // Set-up and inquiry.
  virtual void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
  virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
  virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
  virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
  virtual void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
  virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
  virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
  virtual void setEditor(AEffEditor* newEditor);
  virtual AEffect* getAeffect() { return &cEffect; }
  virtual float getSampleRate() { return sampleRate; }
  virtual VstInt32 getBlockSize() { return blockSize; }

  // Host version and idle.
  virtual VstInt32 getMasterVersion();
  virtual VstInt32 getCurrentUniqueId();
  virtual void masterIdle();

  // Text formatting into buffers of at least maxLen + 1 bytes.
  virtual void dB2string(float value, char* text, VstInt32 maxLen);
  virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
  virtual void ms2string(float samples, char* text, VstInt32 maxLen);
  virtual void float2string(float value, char* text, VstInt32 maxLen);
  virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

  virtual float getVu() { return 0.0f; }

  AEffEditor* getEditor() const { return editor; }

 protected:
  // Closes and deletes the editor. The most-derived effect calls it in its
  // own destructor: an editor torn down mid-gesture ends the gesture through
  // the effect, which must still be whole then.
  void destroyEditor();
  VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
  void setFlag(VstInt32 flag, bool state);

  audioMasterCallback audioMaster;
  AEffEditor* editor = nullptr;  // owned
  float sampleRate = 44100.0f;
  VstInt32 blockSize = 1024;
  VstInt32 numPrograms;
  VstInt32 numParams;
  // Read by automation on the audio thread while the host may switch programs.
  sorvane::SharedField<VstInt32> curProgram{0};
  AEffect cEffect;
};

// Copies at most maxLen characters and always terminates: host buffers are
// fixed-size, and a missing terminator there would be read past by the host.
void vst_strncpy(char* dst, const char* src, VstInt32 maxLen);
