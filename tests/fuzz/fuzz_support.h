// Pieces shared by the checks: both products behind one traits type, a host
// that answers only the version query, the invariants of the program store,
// and the audio every check runs after its input.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/pallido.h"
#include "plugin/tessaro.h"
#include "presets/preset_files.h"

namespace sorvane::fuzz {

struct TessaroTraits {
  using Effect = tessaro::Effect;
  static const PresetProduct& product() { return tessaro::kPresetProduct; }
  static constexpr const char* kName = "Tessaro";
};
struct PallidoTraits {
  using Effect = pallido::Effect;
  static const PresetProduct& product() { return pallido::kPresetProduct; }
  static constexpr const char* kName = "Pallido";
};

using Bytes = std::vector<uint8_t>;

VstIntPtr VSTCALLBACK versionOnlyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);

// Accumulates the first problem found; later ones are dropped, since they
// usually follow from it.
class Problem {
 public:
  explicit operator bool() const { return !text_.empty(); }
  const std::string& text() const { return text_; }
  template <class... Parts>
  void set(const Parts&... parts) {
    if (!text_.empty()) return;
    (append(parts), ...);
  }
  void add(const std::string& found, const char* context) {
    if (!found.empty()) set(context, ": ", found);
  }

 private:
  void append(const std::string& part) { text_ += part; }
  void append(const char* part) { text_ += part; }
  template <class Number>
  void append(Number value) {
    text_ += std::to_string(value);
  }
  std::string text_;
};

inline uint32_t bitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}
// Equal bits, or both NaN (a NaN's payload may change on its way through a register).
inline bool sameValue(float a, float b) { return bitsOf(a) == bitsOf(b) || (std::isnan(a) && std::isnan(b)); }

// Sides 0 or 1, every name and file name terminated inside its field.
template <class Bank>
std::string storeProblem(const Bank& bank) {
  Problem problem;
  for (int p = 0; p < kProgramCount && !problem; ++p) {
    const auto& slot = bank.program[p];
    if (slot.activeSide > 1) problem.set("program ", p, " has side ", slot.activeSide);
    for (int s = 0; s < 2; ++s) {
      if (boundedLength(slot.side[s].name, kProgramNameField) == kProgramNameField)
        problem.set("program ", p, " side ", s, ": name not terminated");
      if (boundedLength(slot.fileName[s], platform::kPathCapacity) == platform::kPathCapacity)
        problem.set("program ", p, " side ", s, ": file name not terminated");
    }
  }
  return problem.text();
}

// The parameters the host reads are the values of the current program's live record.
template <class Effect>
std::string liveParameterProblem(Effect& effect) {
  const auto& bank = effect.programStore();
  const VstInt32 program = effect.getProgram();
  if (program < 0 || program >= kProgramCount) return "current program " + std::to_string(program);
  const VstInt32 side = effect.getActiveSide();
  if (side != 0 && side != 1) return "active side " + std::to_string(side);
  const auto& record = bank.program[program].side[side];
  Problem problem;
  for (int i = 0; i < Effect::kParameterCount; ++i)
    if (!sameValue(effect.getParameter(i), record.values[i]))
      problem.set("parameter ", i, " is ", effect.getParameter(i), ", the live record holds ", record.values[i]);
  return problem.text();
}

// The audio every check ends with: 64 frames of full-scale noise with an
// impulse, through both precisions. Output must be finite for this finite
// input whenever the bands run at a real sample rate.
constexpr int kCheckFrames = 64;

const float* checkSignal();  // kCheckFrames samples in -1..1

template <class Sample>
bool allFinite(const Sample* samples, int count) {
  for (int i = 0; i < count; ++i)
    if (!std::isfinite(samples[i])) return false;
  return true;
}

// True for the rates a host may really run at; far outside them the filters
// are not designed to hold, and only memory safety is checked.
inline bool isRealSampleRate(float rate) { return rate >= 1000.0f && rate <= 1.0e6f; }

template <class Effect>
std::string audioProblem(Effect& effect, bool expectFinite) {
  const float* signal = checkSignal();
  float inL[kCheckFrames], inR[kCheckFrames], outL[kCheckFrames], outR[kCheckFrames];
  double dInL[kCheckFrames], dInR[kCheckFrames], dOutL[kCheckFrames], dOutR[kCheckFrames];
  for (int i = 0; i < kCheckFrames; ++i) {
    inL[i] = signal[i];
    inR[i] = -signal[kCheckFrames - 1 - i];
    dInL[i] = inL[i];
    dInR[i] = inR[i];
  }
  float* in[2] = {inL, inR};
  float* out[2] = {outL, outR};
  double* dIn[2] = {dInL, dInR};
  double* dOut[2] = {dOutL, dOutR};
  effect.processReplacing(in, out, kCheckFrames);
  effect.processDoubleReplacing(dIn, dOut, kCheckFrames);
  if (!expectFinite) return {};
  if (!allFinite(outL, kCheckFrames) || !allFinite(outR, kCheckFrames)) return "non-finite float output";
  if (!allFinite(dOutL, kCheckFrames) || !allFinite(dOutR, kCheckFrames)) return "non-finite double output";
  return {};
}

// getChunk hands out a pointer into the store; it must lie wholly inside it.
template <class Effect>
std::string chunkReadBackProblem(Effect& effect) {
  const auto& bank = effect.programStore();
  const auto* begin = reinterpret_cast<const unsigned char*>(&bank);
  const auto* end = begin + sizeof(bank);
  Problem problem;
  for (const bool isPreset : {false, true}) {
    void* data = nullptr;
    const VstInt32 size = effect.getChunk(&data, isPreset);
    const auto* bytes = static_cast<const unsigned char*>(data);
    const size_t expected = isPreset ? sizeof(bank.program[0]) : sizeof(bank);
    if (size < 0 || static_cast<size_t>(size) != expected) {
      problem.set(isPreset ? "program" : "bank", " chunk of ", size, " bytes");
    } else if (bytes < begin || bytes + size > end) {
      problem.set(isPreset ? "program" : "bank", " chunk outside the store");
    } else {
      // Reading it as the host does is what the sanitizers watch.
      Bytes copy(bytes, bytes + size);
      if (std::memcmp(copy.data(), bytes, copy.size()) != 0) problem.set("chunk changed while read");
    }
  }
  return problem.text();
}

// A private preset folder below a scratch documents folder, removed at exit.
const std::string& scratchPresetFolder(const PresetProduct& product);

void writeWholeFile(const std::string& path, const uint8_t* data, size_t size);

}  // namespace sorvane::fuzz
