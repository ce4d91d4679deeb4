// A tiny VST 2.4 effect for sorvane-host's tests. Well-behaved it is a
// one-pole low-pass with a closed-form response,
//   y[n] = (1 - a) x[n] + a y[n-1],  out = 2 g y,
//   H(e^jw) = 2 g (1 - a) / (1 - a e^-jw),  a = 0.9 * smoothing,
// with three programs and bank and program chunks. Built once per planted
// fault (SORVANE_FAULT): 1 writes NaN into its output, 2 changes its state
// on every chunk round trip, 3 crashes on a block of 0 frames.
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "formats/vst2/aeffect.h"

#ifndef SORVANE_FAULT
#define SORVANE_FAULT 0
#endif

#if defined(_WIN32)
#define FAULTY_EXPORT extern "C" __declspec(dllexport)
#else
#define FAULTY_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr int kFaultNone = 0;
constexpr int kFaultNan = 1;
constexpr int kFaultState = 2;
constexpr int kFaultZeroFrames = 3;
constexpr int kFault = SORVANE_FAULT;

constexpr int kParams = 2;  // 0 smoothing, 1 gain
constexpr int kPrograms = 3;
const char* const kParamNames[kParams] = {"Smooth", "Gain"};
const char* const kProgramNames[kPrograms] = {"Open", "Warm", "Dark"};

struct Bank {
  char magic[4];
  uint32_t version;
  float values[kPrograms][kParams];
};
struct ProgramChunk {
  char magic[4];
  uint32_t version;
  float values[kParams];
};

struct Faulty {
  AEffect effect{};
  audioMasterCallback host = nullptr;
  Bank bank{{'F', 'L', 'T', 'B'}, 1, {{0.0f, 0.5f}, {0.5f, 0.5f}, {1.0f, 0.5f}}};
  ProgramChunk programChunk{};
  int program = 0;
  double state[2] = {0.0, 0.0};

  float* values() { return bank.values[program]; }
  double pole() { return 0.9 * std::fmin(std::fmax(values()[0], 0.0f), 1.0f); }
  double gain() { return 2.0 * std::fmin(std::fmax(values()[1], 0.0f), 1.0f); }
};

Faulty* self(AEffect* effect) { return static_cast<Faulty*>(effect->object); }

// Copies at most capacity - 1 characters and the terminating NUL.
void copyText(void* ptr, const char* text, size_t capacity) {
  if (ptr == nullptr) return;
  auto* out = static_cast<char*>(ptr);
  size_t i = 0;
  for (; i + 1 < capacity && text[i] != '\0'; ++i) out[i] = text[i];
  out[i] = '\0';
}

// A planted chunk fault: the state drifts each time it is restored.
void plantStateFault(float* values) {
  if (kFault == kFaultState) values[0] = std::fmod(values[0] + 0.125f, 1.0f);
}

VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
  Faulty* plugin = self(effect);
  switch (opcode) {
    case effClose:
      delete plugin;
      return 1;
    case effSetProgram:
      if (value >= 0 && value < kPrograms) plugin->program = static_cast<int>(value);
      return 0;
    case effGetProgram:
      return plugin->program;
    case effGetProgramName:
      copyText(ptr, kProgramNames[plugin->program], kVstMaxProgNameLen + 1);
      return 0;
    case effGetProgramNameIndexed:
      if (index < 0 || index >= kPrograms) return 0;
      copyText(ptr, kProgramNames[index], kVstMaxProgNameLen + 1);
      return 1;
    case effGetParamName:
      if (index >= 0 && index < kParams) copyText(ptr, kParamNames[index], kVstMaxParamStrLen + 1);
      return 0;
    case effGetParamLabel:
      if (index >= 0 && index < kParams) copyText(ptr, index == 1 ? "x" : "", kVstMaxParamStrLen + 1);
      return 0;
    case effGetParamDisplay:
      if (index >= 0 && index < kParams && ptr != nullptr) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", index == 0 ? plugin->pole() : plugin->gain());
        copyText(ptr, text, kVstMaxParamStrLen + 1);
      }
      return 0;
    case effMainsChanged:
      plugin->state[0] = plugin->state[1] = 0.0;
      return 0;
    case effGetChunk:
      if (ptr == nullptr) return 0;
      if (index != 0) {
        plugin->programChunk = ProgramChunk{{'F', 'L', 'T', 'P'}, 1, {}};
        std::memcpy(plugin->programChunk.values, plugin->values(), sizeof plugin->programChunk.values);
        *static_cast<void**>(ptr) = &plugin->programChunk;
        return sizeof(ProgramChunk);
      }
      *static_cast<void**>(ptr) = &plugin->bank;
      return sizeof(Bank);
    case effSetChunk:
      if (ptr == nullptr) return 0;
      if (index != 0) {
        ProgramChunk chunk;
        if (value != sizeof chunk) return 0;
        std::memcpy(&chunk, ptr, sizeof chunk);
        if (std::memcmp(chunk.magic, "FLTP", 4) != 0) return 0;
        plantStateFault(chunk.values);
        std::memcpy(plugin->values(), chunk.values, sizeof chunk.values);
        return 1;
      }
      if (value != sizeof(Bank) || std::memcmp(ptr, "FLTB", 4) != 0) return 0;
      std::memcpy(&plugin->bank, ptr, sizeof(Bank));
      plantStateFault(plugin->bank.values[0]);
      return 1;
    case effGetEffectName:
      copyText(ptr, "Faulty One-Pole", kVstMaxEffectNameLen + 1);
      return 1;
    case effGetVendorString:
      copyText(ptr, "Sorvane Tests", kVstMaxVendorStrLen + 1);
      return 1;
    case effGetProductString:
      copyText(ptr, "faulty one-pole", kVstMaxProductStrLen + 1);
      return 1;
    case effGetVendorVersion:
      return 1;
    case effGetPlugCategory:
      return kPlugCategEffect;
    case effGetVstVersion:
      return 2400;
    default:
      (void)opt;
      return 0;
  }
}

template <typename Sample>
void processBlock(AEffect* effect, Sample** inputs, Sample** outputs, VstInt32 frames) {
  if (kFault == kFaultZeroFrames && frames == 0) std::raise(SIGSEGV);
  Faulty* plugin = self(effect);
  const double a = plugin->pole();
  const double gain = plugin->gain();
  for (int channel = 0; channel < 2; ++channel) {
    double y = plugin->state[channel];
    for (VstInt32 i = 0; i < frames; ++i) {
      y = (1.0 - a) * inputs[channel][i] + a * y;
      // Well-behaved even after NaN input: a poisoned state starts afresh.
      if (!std::isfinite(y)) y = 0.0;
      outputs[channel][i] = static_cast<Sample>(gain * y);
      if (kFault == kFaultNan && i % 64 == 0) outputs[channel][i] = std::numeric_limits<Sample>::quiet_NaN();
    }
    plugin->state[channel] = y;
  }
}

void VSTCALLBACK processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  processBlock(effect, inputs, outputs, frames);
}

void VSTCALLBACK processDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
  processBlock(effect, inputs, outputs, frames);
}

void VSTCALLBACK processAccumulating(AEffect*, float**, float**, VstInt32) {}

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value) {
  if (index >= 0 && index < kParams) self(effect)->values()[index] = value;
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index) {
  return index >= 0 && index < kParams ? self(effect)->values()[index] : 0.0f;
}

}  // namespace

FAULTY_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
  if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  auto* plugin = new Faulty();
  plugin->host = host;
  AEffect& effect = plugin->effect;
  effect.magic = kEffectMagic;
  effect.dispatcher = dispatcher;
  effect.process = processAccumulating;
  effect.setParameter = setParameter;
  effect.getParameter = getParameter;
  effect.processReplacing = processReplacing;
  effect.processDoubleReplacing = processDoubleReplacing;
  effect.numPrograms = kPrograms;
  effect.numParams = kParams;
  effect.numInputs = 2;
  effect.numOutputs = 2;
  effect.flags = effFlagsCanReplacing | effFlagsProgramChunks | effFlagsCanDoubleReplacing;
  effect.ioRatio = 1.0f;
  effect.object = plugin;
  effect.uniqueID = fourCharCode('F', 'l', 't', 'y');
  effect.version = 1;
  return &effect;
}
