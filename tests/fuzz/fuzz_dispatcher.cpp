// The dispatcher target: runs a script of host calls (dispatcher_script.h)
// against a fresh instance, the way a host reaches it: only through the
// AEffect record, with every pointer pointing at a buffer of its own.
#include <algorithm>
#include <array>

#include "dispatcher_script.h"
#include "fuzz_checks.h"
#include "fuzz_support.h"

namespace sorvane::fuzz {
namespace {

using namespace script;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data(data), size(size) {}
  bool atEnd() const { return at >= size; }
  uint8_t u8() { return at < size ? data[at++] : 0; }
  uint16_t u16() {
    const uint16_t low = u8();
    return static_cast<uint16_t>(low | (u8() << 8));
  }
  int32_t i32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(u8()) << (8 * i);
    return static_cast<int32_t>(v);
  }
  float f32() {
    const int32_t bits = i32();
    float v;
    std::memcpy(&v, &bits, sizeof(v));
    return v;
  }
  // Up to count bytes, fewer when the script ends.
  Bytes bytes(size_t count) {
    const size_t available = std::min(count, size - std::min(at, size));
    Bytes out(data + at, data + at + available);
    at += available;
    return out;
  }

 private:
  const uint8_t* data;
  size_t size;
  size_t at = 0;
};

// The longest text each opcode may write, terminator excluded.
int textLimit(VstInt32 opcode) {
  switch (opcode) {
    case effGetProgramName:
    case effGetProgramNameIndexed:
      return kVstMaxProgNameLen;
    case effGetParamLabel:
    case effGetParamDisplay:
      return kVstMaxParamStrLen;
    case effGetParamName:
      return 15;  // hosts give at least 16 bytes; the longest name fills them
    case effGetEffectName:
      return kVstMaxEffectNameLen;
    case effGetVendorString:
      return kVstMaxVendorStrLen;
    case effGetProductString:
      return kVstMaxProductStrLen;
    default:
      return -1;
  }
}

bool takesText(VstInt32 opcode) {
  return opcode == effSetProgramName || opcode == effString2Parameter || opcode == effCanDo;
}

template <class Traits>
class ScriptRun {
 public:
  using Effect = typename Traits::Effect;
  static constexpr int kParameterCount = Effect::kParameterCount;

  explicit ScriptRun(Reader& reader)
      : reader(reader), effect(new Effect(&versionOnlyHost)), record(effect->getAeffect()) {}
  ~ScriptRun() {
    if (effect) record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
  }

  std::string run() {
    for (int step = 0; step < kMaxSteps && !reader.atEnd() && !problem; ++step) {
      if (!runStep(static_cast<Step>(reader.u8() % kStepCount))) break;
      if (const VstInt32 program = effect->getProgram(); program < 0 || program >= kProgramCount)
        problem.set("current program ", program);
      if (const VstInt32 side = effect->getActiveSide(); side != 0 && side != 1) problem.set("active side ", side);
      if (problem) problem.set(" (step ", step, ")");
    }
    if (problem) return problem.text();

    problem.add(storeProblem(effect->programStore()), "store");
    problem.add(liveParameterProblem(*effect), "parameters");
    problem.add(chunkReadBackProblem(*effect), "read back");
    problem.add(audioProblem(*effect, bandsAtRealRate()), "audio");
    dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
    problem.add(audioProblem(*effect, bandsAtRealRate()), "audio after resume");
    return problem.text();
  }

 private:
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return record->dispatcher(record, opcode, index, value, ptr, opt);
  }

  bool bandsAtRealRate() const { return isRealSampleRate(std::get<0>(effect->leftBands()).sampleRate()); }

  const auto& liveRecord() {
    return effect->programStore().program[effect->getProgram()].side[effect->getActiveSide()];
  }

  // False ends the script.
  bool runStep(Step step) {
    switch (step) {
      case Dispatch:
        return dispatchStep();
      case SetParameter: {
        const VstInt32 index = static_cast<VstInt32>(reader.u8()) - 1;
        record->setParameter(record, index, reader.f32());
        return true;
      }
      case GetParameter: {
        const VstInt32 index = static_cast<VstInt32>(reader.u8()) - 1;
        const float value = record->getParameter(record, index);
        if (index >= 0 && index < kParameterCount) {
          if (!sameValue(value, liveRecord().values[index]))
            problem.set("getParameter ", index, " differs from the store");
        } else if (value != 0.0f) {
          problem.set("getParameter of index ", index, " answered ", value);
        }
        return true;
      }
      case ProcessFloat:
        processStep<float>();
        return true;
      case ProcessDouble:
        processStep<double>();
        return true;
      case RestoreChunk:
        restoreStep();
        return true;
      case AbSwitch:
        switch (reader.u8() % 3) {
          case 0:
            effect->toggleActiveSide();
            break;
          case 1:
            effect->copyActiveSideToOther();
            break;
          default:
            break;  // the side is checked after every step
        }
        return true;
      case RawDispatch: {
        const VstInt32 opcode = reader.i32();
        const VstInt32 index = reader.i32();
        const VstInt32 value = reader.i32();
        // Opcodes a host really sends come through Dispatch with their buffers.
        if (opcode >= 0 && opcode <= 255) return true;
        scratch.fill(0);
        dispatch(opcode, index, value, scratch.data(), 0.0f);
        return true;
      }
      case kStepCount:
        break;
    }
    return true;
  }

  bool dispatchStep() {
    const VstInt32 opcode = reader.u8() % 88;
    const VstInt32 index = reader.i32();
    VstIntPtr value = reader.i32();
    const float opt = reader.f32();
    if (opcode == effClose || opcode == effEditOpen) return false;

    if (takesText(opcode)) {
      std::array<char, 257> text{};
      const Bytes bytes = reader.bytes(reader.u8());
      std::copy(bytes.begin(), bytes.end(), text.begin());
      dispatch(opcode, index, value, text.data(), opt);
      return true;
    }
    if (opcode == effSetChunk) {
      // Never more than the buffer holds: a host that lies about the size
      // is outside what a plug-in can defend against.
      Bytes chunk = reader.bytes(reader.u8());
      chunk.push_back(0);  // a valid pointer even for an empty chunk
      value = std::min<VstIntPtr>(value, static_cast<VstIntPtr>(chunk.size() - 1));
      dispatch(opcode, index, value, chunk.data(), opt);
      return true;
    }
    if (const int limit = textLimit(opcode); limit >= 0) {
      std::array<char, 256> text;
      text.fill('Z');
      dispatch(opcode, index, value, text.data(), opt);
      if (text[0] != 'Z' && std::find(text.begin(), text.begin() + limit + 1, '\0') == text.begin() + limit + 1)
        problem.set("opcode ", opcode, " wrote more than ", limit, " characters");
      return true;
    }
    switch (opcode) {
      case effGetChunk: {
        void* data = nullptr;
        const VstIntPtr size = dispatch(opcode, index, value, &data, opt);
        problem.add(chunkReadBackProblem(*effect), "getChunk");
        if (size > 0 && data) lastChunk.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        return true;
      }
      case effGetSpeakerArrangement: {
        int inputs = 0, outputs = 0;
        void* input = &inputs;
        void* output = &outputs;
        dispatch(opcode, index, reinterpret_cast<VstIntPtr>(&input), &output, opt);
        if (input || output) problem.set("speaker arrangement pointers not cleared");
        return true;
      }
      case effEditGetRect: {
        ERect* rect = nullptr;
        if (dispatch(opcode, index, value, &rect, opt) && !rect) problem.set("editor rectangle answered without one");
        return true;
      }
      default:
        scratch.fill(0);
        dispatch(opcode, index, value, scratch.data(), opt);
        return true;
    }
  }

  template <class Sample>
  void processStep() {
    int frames = std::min<int>(reader.u8(), kMaxFrames);
    const uint8_t flags = reader.u8();
    const double peak = 8.0 * reader.u8() / 255.0;
    uint32_t state = 0x9E3779B9u * (reader.u8() + 1u);

    static std::array<Sample, kMaxFrames> inL, inR, outL, outR;
    for (int i = 0; i < kMaxFrames; ++i) {
      state = state * 1664525u + 1013904223u;
      inL[i] = static_cast<Sample>(peak * static_cast<int32_t>(state) / 2147483648.0);
      inR[i] = static_cast<Sample>(-peak * static_cast<int32_t>(state * 69069u) / 2147483648.0);
    }
    Sample* in[2] = {inL.data(), inR.data()};
    Sample* out[2] = {outL.data(), outR.data()};
    if (flags & 1) {
      out[0] = in[0];
      out[1] = in[1];
    }
    if (flags & 2) frames = -frames;
    if constexpr (std::is_same_v<Sample, float>)
      record->processReplacing(record, in, out, frames);
    else
      record->processDoubleReplacing(record, in, out, frames);
    if (frames > 0 && bandsAtRealRate() && (!allFinite(out[0], frames) || !allFinite(out[1], frames)))
      problem.set("non-finite output of a ", frames, "-frame block at peak ", peak);
  }

  void restoreStep() {
    const uint8_t kind = reader.u8();
    const bool isPreset = kind & 1;
    void* data = nullptr;
    const VstInt32 size = effect->getChunk(&data, isPreset);
    Bytes chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    if ((kind & 2) && lastChunk.size() == chunk.size()) chunk = lastChunk;
    const int edits = reader.u8() % 8;
    for (int e = 0; e < edits; ++e) {
      const size_t offset = reader.u16() % chunk.size();
      chunk[offset] = reader.u8();
    }
    const VstIntPtr byteSize = static_cast<VstIntPtr>(chunk.size()) - ((kind & 4) ? 1 : 0);
    dispatch(effSetChunk, isPreset ? 1 : 0, byteSize, chunk.data(), 0.0f);
    problem.add(storeProblem(effect->programStore()), "store after restore");
    problem.add(liveParameterProblem(*effect), "parameters after restore");
  }

  Reader& reader;
  Effect* effect;  // deleted by effClose
  AEffect* record;
  Problem problem;
  Bytes lastChunk;
  std::array<unsigned char, 512> scratch{};
};

}  // namespace

std::string checkDispatcher(const uint8_t* data, size_t size) {
  Reader reader(data, size);
  if (reader.u8() % 2 == 0) return ScriptRun<TessaroTraits>(reader).run();
  return ScriptRun<PallidoTraits>(reader).run();
}

}  // namespace sorvane::fuzz
