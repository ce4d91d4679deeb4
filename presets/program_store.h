// Operations on the program store image that do not depend on the effect:
// filling it with the factory programs, making a restored image safe, and
// reaching the fields that both of the host's threads touch.
#pragma once

#include <atomic>
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
      std::strncpy(slot.fileName[s], row.fileName, platform::kPathCapacity - 1);
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

// A field of the program store that both threads touch, read or written
// whole. Relaxed atomic accesses compile to the plain moves of an ordinary
// field, but make the intended race defined behaviour.
template <class T>
T sharedLoad(const T& field) {
  return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
}
template <class T>
void sharedStore(T& field, T value) {
  std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}

// Byte copies of the store's records in which the shared fields (the side
// selector, the values) are stored whole, the rest by plain copies.
template <int Slots>
void storeShared(PresetRecord<Slots>& to, const PresetRecord<Slots>& from) {
  static_assert(sizeof(to.magic) + sizeof(to.version) + sizeof(to.name) + sizeof(to.values) == sizeof(to));
  std::memcpy(to.magic, from.magic, sizeof(to.magic));
  to.version = from.version;
  std::memcpy(to.name, from.name, sizeof(to.name));
  for (int i = 0; i < Slots; ++i) sharedStore(to.values[i], from.values[i]);
}
template <int Slots>
void storeShared(ProgramSlot<Slots>& to, const ProgramSlot<Slots>& from) {
  static_assert(sizeof(to.version) + sizeof(to.padding) + sizeof(to.activeSide) + sizeof(to.fileName) +
                    sizeof(to.side) ==
                sizeof(to));
  to.version = from.version;
  std::memcpy(to.padding, from.padding, sizeof(to.padding));
  sharedStore(to.activeSide, from.activeSide);
  std::memcpy(to.fileName, from.fileName, sizeof(to.fileName));
  for (int s = 0; s < 2; ++s) storeShared(to.side[s], from.side[s]);
}
template <int Slots>
void storeShared(BankImage<Slots>& to, const BankImage<Slots>& from) {
  static_assert(sizeof(to.magic) + sizeof(to.version) + sizeof(to.program) == sizeof(to));
  std::memcpy(to.magic, from.magic, sizeof(to.magic));
  to.version = from.version;
  for (int p = 0; p < kProgramCount; ++p) storeShared(to.program[p], from.program[p]);
}

}  // namespace sorvane
