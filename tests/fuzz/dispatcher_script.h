// The input of the dispatcher target: a script of the calls a host (and the
// editor's A/B buttons) make. Byte 0 picks the product (even Tessaro, odd
// Pallido); then each step starts with a step byte (taken modulo the number
// of steps) followed by its operands. Integers are little-endian; a script
// that ends early reads zeros, and at most kMaxSteps steps run.
//
//   Dispatch     opcode u8, index i32, value i32, opt f32, then per opcode:
//                text in (4, 27, 51): length u8 and that many bytes;
//                set chunk (24): the same, the bytes being the chunk.
//                Every pointer the opcode takes points at a valid buffer;
//                opcodes 1 (close) and 14 (open a window) end the script.
//   SetParameter index u8 (taken as index - 1, so -1 and N occur), value f32
//   GetParameter index u8 (the same)
//   ProcessFloat, ProcessDouble
//                frames u8, flags u8 (bit 0 in place, bit 1 negative
//                count), level u8 (peak 8 * level / 255), seed u8
//   RestoreChunk kind u8 (bit 0 program chunk, bit 1 start from the last
//                chunk read back instead of the current one, bit 2 one byte
//                short), edits u8 (at most 7), each offset u16 and byte u8
//   AbSwitch     u8: 0 toggle, 1 copy to the other side, 2 ask the side
//   RawDispatch  opcode i32, index i32, value i32 (a pointer-free call with a
//                scratch buffer)
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace sorvane::fuzz::script {

enum Step : uint8_t {
  Dispatch,
  SetParameter,
  GetParameter,
  ProcessFloat,
  ProcessDouble,
  RestoreChunk,
  AbSwitch,
  RawDispatch,
  kStepCount,
};

constexpr int kMaxSteps = 256;
constexpr int kMaxFrames = 255;

// Builds scripts for the seed corpus.
class Writer {
 public:
  explicit Writer(bool pallido) { bytes.push_back(pallido ? 1 : 0); }

  Writer& dispatch(uint8_t opcode, int32_t index = 0, int32_t value = 0, float opt = 0.0f) {
    u8(Dispatch).u8(opcode).i32(index).i32(value).f32(opt);
    return *this;
  }
  Writer& dispatchText(uint8_t opcode, const char* text, int32_t index = 0) {
    dispatch(opcode, index, 0, 0.0f);
    const auto length = static_cast<uint8_t>(std::strlen(text));
    u8(length);
    bytes.insert(bytes.end(), text, text + length);
    return *this;
  }
  Writer& setParameter(int index, float value) {
    return u8(SetParameter).u8(static_cast<uint8_t>(index + 1)).f32(value);
  }
  Writer& getParameter(int index) { return u8(GetParameter).u8(static_cast<uint8_t>(index + 1)); }
  Writer& process(bool dbl, uint8_t frames, uint8_t flags = 0, uint8_t level = 32, uint8_t seed = 1) {
    return u8(dbl ? ProcessDouble : ProcessFloat).u8(frames).u8(flags).u8(level).u8(seed);
  }
  Writer& restoreChunk(uint8_t kind, std::initializer_list<std::pair<uint16_t, uint8_t>> edits = {}) {
    u8(RestoreChunk).u8(kind).u8(static_cast<uint8_t>(edits.size()));
    for (auto [offset, value] : edits) u16(offset).u8(value);
    return *this;
  }
  Writer& ab(uint8_t what) { return u8(AbSwitch).u8(what); }

  std::vector<uint8_t> bytes;

 private:
  Writer& u8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  Writer& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
  Writer& i32(int32_t v) {
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    return *this;
  }
  Writer& f32(float v) {
    int32_t bits;
    std::memcpy(&bits, &v, 4);
    return i32(bits);
  }
};

}  // namespace sorvane::fuzz::script
