// Operations on the program store image that do not depend on the effect:
// filling it with the factory programs and making a restored image safe.
#pragma once

#include <cstring>

#include "presets/product_presets.h"

namespace sorvane {

template <int Slots>
void writeRecordHeader(PresetRecord<Slots>& record, const PresetProduct& product) {
  std::memcpy(record.magic, product.presetMagic, sizeof(record.magic));
  record.version = kRecordVersion;
}

template <int Slots>
void fillFactoryBank(BankImage<Slots>& bank, const PresetProduct& product) {
  std::memset(&bank, 0, sizeof(bank));
  std::memcpy(bank.magic, product.bankMagic, sizeof(bank.magic));
  bank.version = kRecordVersion;
  for (int p = 0; p < kProgramCount; ++p) {
    const FactoryProgram& row = product.factoryPrograms[p];
    ProgramSlot<Slots>& slot = bank.program[p];
    for (int s = 0; s < 2; ++s) {
      PresetRecord<Slots>& record = slot.side[s];
      writeRecordHeader(record, product);
      std::strncpy(record.name, row.name, kProgramNameMax);
      std::strncpy(slot.fileName[s], row.fileName, kFileNameField - 1);
      for (int i = 0; i < product.parameterCount; ++i) record.values[i] = static_cast<float>(row.values[i]);
    }
    slot.version = kRecordVersion;
    slot.activeSide = 0;
  }
}

// A restored chunk or loaded file may carry any bytes. Repair only what would
// make later reads unsafe, keep every byte that is already valid: a side
// other than 0 reads as B, and text fields are cut at their last byte.
template <size_t N>
void terminateField(char (&field)[N]) {
  field[N - 1] = 0;
}

template <int Slots>
void repairRecord(PresetRecord<Slots>& record) {
  terminateField(record.name);
}

template <int Slots>
void repairSlot(ProgramSlot<Slots>& slot) {
  if (slot.activeSide > 1) slot.activeSide = 1;
  terminateField(slot.fileName[0]);
  terminateField(slot.fileName[1]);
  repairRecord(slot.side[0]);
  repairRecord(slot.side[1]);
}

template <int Slots>
void repairBank(BankImage<Slots>& bank) {
  for (auto& slot : bank.program) repairSlot(slot);
}

}  // namespace sorvane
