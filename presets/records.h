// The fixed-size little-endian records of the program store. The preset
// file, the bank file and both host chunks are byte copies of these, so their
// layout is part of the products' file formats and may never change.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/documents.h"  // kPathCapacity: every path field of the products

namespace sorvane {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the program store is used as a little-endian byte image");

constexpr int kProgramCount = 12;
constexpr int kProgramNameField = 28;  // bytes, NUL included
constexpr int kProgramNameMax = 24;    // characters the plug-in writes
constexpr uint16_t kRecordVersion = 1;

// One complete parameter set: what a preset file holds.
template <int ValueSlots>
struct PresetRecord {
  char magic[6];
  uint16_t version;
  char name[kProgramNameField];
  float values[ValueSlots];
};

// One host program: two parameter sets for A/B comparison.
template <int ValueSlots>
struct ProgramSlot {
  uint16_t version;
  uint8_t padding[2];
  uint32_t activeSide;                        // 0 = A live, 1 = B live
  char fileName[2][platform::kPathCapacity];  // per side, relative to the preset folder
  PresetRecord<ValueSlots> side[2];

  PresetRecord<ValueSlots>& live() { return side[activeSide != 0 ? 1 : 0]; }
  const PresetRecord<ValueSlots>& live() const { return side[activeSide != 0 ? 1 : 0]; }
  PresetRecord<ValueSlots>& other() { return side[activeSide != 0 ? 0 : 1]; }
};

// The whole program store; the bank chunk and the bank file are this image.
template <int ValueSlots>
struct BankImage {
  char magic[6];
  uint16_t version;
  ProgramSlot<ValueSlots> program[kProgramCount];
};

// Tessaro stores 12 values per record, Pallido 18 (17 parameters and one spare).
static_assert(sizeof(PresetRecord<12>) == 84 && sizeof(PresetRecord<18>) == 108);
static_assert(sizeof(ProgramSlot<12>) == 696 && sizeof(ProgramSlot<18>) == 744);
static_assert(sizeof(BankImage<12>) == 8360 && sizeof(BankImage<18>) == 8936);
static_assert(offsetof(PresetRecord<12>, name) == 8 && offsetof(PresetRecord<12>, values) == 36);
static_assert(offsetof(ProgramSlot<12>, activeSide) == 4 && offsetof(ProgramSlot<12>, fileName) == 8);
static_assert(offsetof(ProgramSlot<12>, side) == 528);
static_assert(offsetof(ProgramSlot<12>, side) + sizeof(PresetRecord<12>) == 612);
static_assert(offsetof(ProgramSlot<18>, side) + sizeof(PresetRecord<18>) == 636);
static_assert(offsetof(BankImage<12>, program) == 8);

}  // namespace sorvane
