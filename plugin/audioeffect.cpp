#include "plugin/audioeffect.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugin/aeffeditor.h"

namespace {

AudioEffect* effectOf(AEffect* e) { return e ? static_cast<AudioEffect*>(e->object) : nullptr; }

VstIntPtr VSTCALLBACK dispatchEffClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                       float opt) {
  AudioEffect* effect = effectOf(e);
  if (!effect) return 0;
  if (opcode == effClose) {
    effect->dispatcher(opcode, index, value, ptr, opt);
    delete effect;
    return 1;
  }
  return effect->dispatcher(opcode, index, value, ptr, opt);
}

// The accumulating process of old hosts: deliberately a no-op.
void VSTCALLBACK processClass(AEffect*, float**, float**, VstInt32) {}

void VSTCALLBACK processReplacingClass(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
  if (AudioEffect* effect = effectOf(e)) effect->processReplacing(inputs, outputs, frames);
}

void VSTCALLBACK processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs, VstInt32 frames) {
  if (AudioEffect* effect = effectOf(e)) effect->processDoubleReplacing(inputs, outputs, frames);
}

void VSTCALLBACK setParameterClass(AEffect* e, VstInt32 index, float value) {
  if (AudioEffect* effect = effectOf(e)) effect->setParameter(index, value);
}

float VSTCALLBACK getParameterClass(AEffect* e, VstInt32 index) {
  AudioEffect* effect = effectOf(e);
  return effect ? effect->getParameter(index) : 0.0f;
}

}  // namespace

void vst_strncpy(char* dst, const char* src, VstInt32 maxLen) {
  if (!dst) return;
  VstInt32 i = 0;
  if (src) {
    for (; i < maxLen && src[i]; ++i) dst[i] = src[i];
  }
  dst[i] = 0;
}

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams) {
  std::memset(&cEffect, 0, sizeof(cEffect));
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = dispatchEffClass;
  cEffect.process = processClass;
  cEffect.setParameter = setParameterClass;
  cEffect.getParameter = getParameterClass;
  cEffect.numPrograms = numPrograms;
  cEffect.numParams = numParams;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.flags = effFlagsCanReplacing;
  cEffect.ioRatio = 1.0f;
  cEffect.object = this;
  cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
  cEffect.version = 1;
  cEffect.processReplacing = processReplacingClass;
  cEffect.processDoubleReplacing = processDoubleReplacingClass;
}

AudioEffect::~AudioEffect() { destroyEditor(); }

void AudioEffect::destroyEditor() {
  // Unhooked first: what the editor's teardown sets on the effect (the end
  // of a gesture it was in) must not come back into it.
  AEffEditor* old = editor;
  editor = nullptr;
  delete old;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
  editor = newEditor;
  setFlag(effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
  if (state)
    cEffect.flags |= flag;
  else
    cEffect.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::processReplacing(float**, float**, VstInt32) {}
void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
  setParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getChunk(void**, bool) { return 0; }
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }

VstInt32 AudioEffect::getMasterVersion() {
  const VstIntPtr version = callHost(audioMasterVersion);
  return version ? static_cast<VstInt32>(version) : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId() { return static_cast<VstInt32>(callHost(audioMasterCurrentId)); }

void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  // Every opcode that writes through ptr refuses a null one: a host bug must
  // not become a crash inside the plug-in.
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      return 0;
    case effSetProgram:
      if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (text) setProgramName(text);
      return 0;
    case effGetProgramName:
      if (text) getProgramName(text);
      return 0;
    case effGetParamLabel:
      if (text) getParameterLabel(index, text);
      return 0;
    case effGetParamDisplay:
      if (text) getParameterDisplay(index, text);
      return 0;
    case effGetParamName:
      if (text) getParameterName(index, text);
      return 0;
    case effSetSampleRate:
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      setBlockSize(static_cast<VstInt32>(value));
      return 0;
    case effMainsChanged:
      if (value)
        resume();
      else
        suspend();
      return 0;
    case effEditGetRect:
      if (editor && ptr) return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
      return 0;
    case effEditOpen:
      if (editor) return editor->open(ptr) ? 1 : 0;
      return 0;
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;
    case effIdentify:
      return fourCharCode('N', 'v', 'E', 'f');
    case effGetChunk:
      if (!ptr) return 0;
      return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
      if (!ptr) return 0;
      return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
      return 0;
  }
}

// Text formatting. float2string shows the integer part, a point and as many
// fractional digits as fit in maxLen characters, truncated rather than
// rounded, so 0.45f (just below 0.45) reads 0.449999.
void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
  if (!text) return;
  if (maxLen <= 0) {
    text[0] = 0;
    return;
  }
  if (std::isnan(value)) {
    vst_strncpy(text, "NaN", maxLen);
    return;
  }
  // In double: as a float literal 99999999 rounds up to 1e8, which would
  // then print as eight digits.
  if (static_cast<double>(value) > 99999999.0 || static_cast<double>(value) < -9999999.0) {
    vst_strncpy(text, "Huge!", maxLen);
    return;
  }
  char digits[16];
  VstInt32 length = 0;
  double v = value;
  if (v < 0.0) {
    text[length++] = '-';
    v = -v;
  }
  long long integer = static_cast<long long>(v);
  double fraction = v - static_cast<double>(integer);
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + integer % 10);
    integer /= 10;
  } while (integer > 0);
  while (count > 0 && length < maxLen) text[length++] = digits[--count];
  if (length < maxLen) text[length++] = '.';
  while (length < maxLen) {
    fraction *= 10.0;
    int digit = static_cast<int>(fraction);
    if (digit > 9) digit = 9;
    text[length++] = static_cast<char>('0' + digit);
    fraction -= digit;
  }
  text[length] = 0;
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
  if (value <= 0.0f)
    vst_strncpy(text, "-oo", maxLen);
  else
    float2string(static_cast<float>(20.0 * std::log10(value)), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
  const float rate = getSampleRate();
  if (samples == 0.0f)
    vst_strncpy(text, "0", maxLen);
  else
    int2string(static_cast<VstInt32>(rate / samples), text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
  float2string(static_cast<float>(samples * 1000.0 / getSampleRate()), text, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
  if (value >= 100000000) {
    vst_strncpy(text, "Huge!", maxLen);
    return;
  }
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "%d", static_cast<int>(value));
  vst_strncpy(text, buffer, maxLen);
}
