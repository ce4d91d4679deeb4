// Preset and bank files: a preset file is one PresetRecord and a bank file one
// BankImage, byte for byte, so a file is a copy of a piece of the effect's
// program store. The editor owns one PresetFiles per effect and calls it from
// its file menu and preset browser.
//
// Thread contract: user-interface thread only. Files are read or written
// whole and closed inside one call; message boxes block that thread.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/message_box.h"
#include "presets/folders.h"
#include "presets/product_presets.h"
#include "presets/program_store.h"
#include "presets/records.h"

namespace sorvane {

// Named in the newer-version messages; the editor's web-site command opens
// the same address.
constexpr const char* kMakerWebSite = "https://www.sorvane.com";

// Byte order of the values in the files. The editor derives from this class;
// constructing an editor clears the process-wide flag, and nothing sets it,
// so files are written in the machine's own (little-endian) order. Readers
// accept both version forms whatever the flag says.
class EndianSwap {
 public:
  EndianSwap() { swapBytes = false; }

  static inline bool swapBytes = false;

  // The value 1 in the order the flag asks for.
  static uint16_t fileVersion() { return swapBytes ? 256 : kRecordVersion; }
  static bool isKnownVersion(uint16_t version) { return version == 1 || version == 256; }
  // Applied to every value read or written.
  static float fileValue(float value) {
    if (!swapBytes) return value;
    unsigned char bytes[4];
    std::memcpy(bytes, &value, 4);
    const unsigned char reversed[4] = {bytes[3], bytes[2], bytes[1], bytes[0]};
    std::memcpy(&value, reversed, 4);
    return value;
  }
};

// What the file operations ask of the editor around them. Every hook has a
// harmless default so the operations also run with no editor at all.
class PresetFileListener {
 public:
  virtual ~PresetFileListener() = default;
  // The window that owns message boxes (the editor frame's system window).
  virtual void* messageOwner() { return nullptr; }
  // The browser's existence check, which also marks a missing file in the
  // preset name display. The default only checks that the file opens.
  virtual bool presetFileExists(const char* path);
  // After a preset load that got past opening the file, whatever its outcome.
  virtual void presetLoadFinished(bool /*loaded*/) {}
  // After a preset was written to path.
  virtual void presetSaved(const char* /*path*/) {}
  // After a bank load that got past opening the file, whatever its outcome.
  virtual void bankLoadFinished(bool /*loaded*/) {}
};

// The effect as the file operations see it (Sorvane<Product> is one).
template <class T>
concept PresetTarget = requires(T& effect, int index, float value, char* name) {
  { T::kParameterCount } -> std::convertible_to<int>;
  { T::kValueSlots } -> std::convertible_to<int>;
  { effect.getProgram() } -> std::convertible_to<int>;
  { effect.getParameter(index) } -> std::convertible_to<float>;
  effect.setParameterAutomated(index, value);
  effect.setProgramName(name);
  { effect.getActiveSide() } -> std::convertible_to<int>;
  { effect.programStore() } -> std::same_as<BankImage<T::kValueSlots>&>;
};

// ---- Product-independent pieces, also used by the editor --------------------

// Length of a text field that may lack its terminator.
inline size_t boundedLength(const char* text, size_t limit) {
  size_t length = 0;
  while (length < limit && text[length] != 0) ++length;
  return length;
}

// The part of path behind the product's relative preset folder (first,
// case-sensitive occurrence; either separator matches). A path without that
// folder is kept whole. Always terminated, cut at out's last byte.
void presetRelativeName(const PresetProduct& product, const char* path, char* out, size_t outSize);

// The preset name a file gets from its path: the last component, cut before
// its last dot, at most 24 characters.
void presetNameFromPath(const char* path, char (&name)[kProgramNameMax + 1]);

// The product's name as the messages use it: the last part of its preset folder.
void productNameOf(const PresetProduct& product, char* out, size_t outSize);

// Texts of the four load failures.
enum class LoadFailure { BrokenPreset, NewerPreset, BrokenBank, NewerBank };
void loadFailureText(const PresetProduct& product, LoadFailure failure, char* out, size_t outSize);

namespace files {

// Paths live in buffers of platform::kPathCapacity everywhere in the
// products; a longer one cannot have come from them and is refused like a
// file that does not open.
bool usablePath(const char* path);

enum class ReadResult { Unreadable, Read };
// Reads at most capacity bytes from the start of the file. Unreadable: the
// file does not open or reading fails (a folder in place of a file).
ReadResult readStart(const char* path, void* buffer, size_t capacity, size_t& bytesRead);

// Writes the whole buffer so that path ends up either with the old content
// or with the new one, never half of it and never without a file. False
// when the new content is not in place; the old file is then untouched.
bool writeWhole(const char* path, const void* data, size_t size);

}  // namespace files

// ---- The file operations ----------------------------------------------------

template <PresetTarget Effect>
class PresetFiles {
 public:
  static constexpr int kParameterCount = Effect::kParameterCount;
  static constexpr int kValueSlots = Effect::kValueSlots;
  using Record = PresetRecord<kValueSlots>;
  using Bank = BankImage<kValueSlots>;

  // presetFolder: the full path of the product's preset folder.
  PresetFiles(Effect& effect, const PresetProduct& product, const char* presetFolder,
              platform::MessageBoxService& messages, PresetFileListener* listener = nullptr)
      : effect(effect), product(product), messages(messages), listener(listener ? listener : &noListener) {
    std::memset(presetFolderPath, 0, sizeof(presetFolderPath));
    std::memcpy(presetFolderPath, presetFolder, boundedLength(presetFolder, sizeof(presetFolderPath) - 1));
  }
  PresetFiles(const PresetFiles&) = delete;
  PresetFiles& operator=(const PresetFiles&) = delete;

  // Reads a preset file into the current program's current side. True when
  // the values were applied.
  bool loadPreset(const char* path) {
    Record record;
    std::memset(&record, 0, sizeof(record));
    size_t size = 0;
    if (!files::usablePath(path) || files::readStart(path, &record, sizeof(record), size) != files::ReadResult::Read)
      return false;

    const bool loaded = checkHeader(record.magic, record.version, size, sizeof(record), product.presetMagic,
                                    LoadFailure::BrokenPreset, LoadFailure::NewerPreset);
    if (loaded) {
      char name[kProgramNameMax + 1] = {};
      std::memcpy(name, record.name, boundedLength(record.name, kProgramNameMax));
      effect.setProgramName(name);
      for (int i = 0; i < kParameterCount; ++i)
        effect.setParameterAutomated(i, EndianSwap::fileValue(record.values[i]));
      sorvane::presetRelativeName(product, path, currentFileName(), platform::kPathCapacity);
    }
    listener->presetLoadFinished(loaded);
    return loaded;
  }

  // Writes the current parameters as a preset named after the file. True
  // when the file was written; only then are the current side's name and
  // file name changed.
  bool savePreset(const char* path) {
    if (!files::usablePath(path)) return false;
    char name[kProgramNameMax + 1];
    presetNameFromPath(path, name);

    Record record;
    std::memset(&record, 0, sizeof(record));
    std::memcpy(record.magic, product.presetMagic, sizeof(record.magic));
    record.version = EndianSwap::fileVersion();
    std::memcpy(record.name, name, std::strlen(name));
    for (int i = 0; i < kParameterCount; ++i) record.values[i] = EndianSwap::fileValue(effect.getParameter(i));

    if (!files::writeWhole(path, &record, sizeof(record))) return false;

    Record& live = currentRecord();
    std::memset(live.name, 0, sizeof(live.name));
    std::memcpy(live.name, name, std::strlen(name));
    sorvane::presetRelativeName(product, path, currentFileName(), platform::kPathCapacity);
    listener->presetSaved(path);
    return true;
  }

  // Replaces the current side of all 12 programs from a bank file and applies
  // the current program. True when the programs were replaced.
  bool loadBank(const char* path) {
    // A bank is several kilobytes: not on the stack of a host's thread.
    Bank& image = scratchBank;
    std::memset(&image, 0, sizeof(image));
    size_t size = 0;
    if (!files::usablePath(path) || files::readStart(path, &image, sizeof(image), size) != files::ReadResult::Read)
      return false;

    const bool loaded = checkHeader(image.magic, image.version, size, sizeof(image), product.bankMagic,
                                    LoadFailure::BrokenBank, LoadFailure::NewerBank);
    if (loaded) {
      const int side = currentSide();
      Bank& store = effect.programStore();
      for (int p = 0; p < kProgramCount; ++p) {
        const ProgramSlot<kValueSlots>& fileSlot = image.program[p];
        // A bank written while the other side was current may carry only that
        // side: take it rather than an empty record.
        const Record* source = &fileSlot.side[side];
        const Record& otherSide = fileSlot.side[1 - side];
        if (!hasPresetMagic(*source) && hasPresetMagic(otherSide)) source = &otherSide;

        Record& target = store.program[p].side[side];
        std::memcpy(target.magic, product.presetMagic, sizeof(target.magic));
        target.version = kRecordVersion;
        std::memset(target.name, 0, sizeof(target.name));
        std::memcpy(target.name, source->name, boundedLength(source->name, kProgramNameMax));
        // Automation on the audio thread writes the live record's values
        // meanwhile: whole values, as it does.
        for (int i = 0; i < kParameterCount; ++i)
          sharedStore(target.values[i], EndianSwap::fileValue(source->values[i]));
      }
      const Record& current = store.program[currentProgram()].side[side];
      float values[kParameterCount];
      for (int i = 0; i < kParameterCount; ++i) values[i] = sharedLoad(current.values[i]);
      for (int i = 0; i < kParameterCount; ++i) effect.setParameterAutomated(i, values[i]);
    }
    listener->bankLoadFinished(loaded);
    return loaded;
  }

  // Writes the current side of all 12 programs as a bank. True when the file
  // was written.
  bool saveBank(const char* path) {
    if (!files::usablePath(path)) return false;
    Bank& image = scratchBank;
    std::memset(&image, 0, sizeof(image));
    std::memcpy(image.magic, product.bankMagic, sizeof(image.magic));
    image.version = EndianSwap::fileVersion();

    const int side = currentSide();
    const Bank& store = effect.programStore();
    for (int p = 0; p < kProgramCount; ++p) {
      const Record& source = store.program[p].side[side];
      Record record;
      std::memset(&record, 0, sizeof(record));
      std::memcpy(record.magic, product.presetMagic, sizeof(record.magic));
      record.version = EndianSwap::fileVersion();
      std::memcpy(record.name, source.name, boundedLength(source.name, kProgramNameMax));
      for (int i = 0; i < kParameterCount; ++i) record.values[i] = EndianSwap::fileValue(sharedLoad(source.values[i]));
      // Both sides carry the program, so the bank reads the same whichever
      // side is current when it is loaded.
      image.program[p].side[0] = record;
      image.program[p].side[1] = record;
    }
    return files::writeWhole(path, &image, sizeof(image));
  }

  // True when the current parameters differ from the current side's preset
  // file; false also when that file is missing or unreadable.
  bool isPresetModified() {
    char path[platform::kPathCapacity];
    if (!currentPresetPath(path)) return false;
    if (!listener->presetFileExists(path)) return false;

    Record record;
    std::memset(&record, 0, sizeof(record));
    size_t size = 0;
    if (files::readStart(path, &record, sizeof(record), size) != files::ReadResult::Read) return false;
    if (size < sizeof(record) || std::memcmp(record.magic, product.presetMagic, sizeof(record.magic)) != 0 ||
        !EndianSwap::isKnownVersion(record.version))
      return false;
    for (int i = 0; i < kParameterCount; ++i)
      if (!(effect.getParameter(i) == EndianSwap::fileValue(record.values[i]))) return true;
    return false;
  }

  // The part of path behind the preset folder, as stored in a program slot.
  void presetRelativeName(const char* path, char (&out)[platform::kPathCapacity]) const {
    sorvane::presetRelativeName(product, path, out, sizeof(out));
  }

  const char* presetFolder() const { return presetFolderPath; }

  // The current program's current-side preset file, relative to the preset
  // folder as the slot stores it (always terminated).
  void currentRelativeName(char (&out)[platform::kPathCapacity]) {
    const char* stored = currentFileName();
    std::memset(out, 0, sizeof(out));
    std::memcpy(out, stored, boundedLength(stored, platform::kPathCapacity - 1));
  }
  // The same file as a full path; false when it does not fit.
  bool currentPresetPath(char (&path)[platform::kPathCapacity]) {
    char relative[platform::kPathCapacity];
    currentRelativeName(relative);
    return joinPath(presetFolderPath, relative, path, sizeof(path));
  }

 private:
  int currentProgram() {
    const int program = effect.getProgram();
    return program >= 0 && program < kProgramCount ? program : 0;
  }
  int currentSide() { return effect.getActiveSide() != 0 ? 1 : 0; }
  Record& currentRecord() { return effect.programStore().program[currentProgram()].side[currentSide()]; }
  char* currentFileName() { return effect.programStore().program[currentProgram()].fileName[currentSide()]; }

  bool hasPresetMagic(const Record& record) const {
    return std::memcmp(record.magic, product.presetMagic, sizeof(record.magic)) == 0;
  }

  // Magic, then version, then length: a file cut short after a valid header
  // is as broken as one with a foreign magic.
  bool checkHeader(const char (&magic)[6], uint16_t version, size_t size, size_t expected, const char* expectedMagic,
                   LoadFailure broken, LoadFailure newer) {
    if (size < 8 || std::memcmp(magic, expectedMagic, sizeof(magic)) != 0) return fail(broken);
    if (!EndianSwap::isKnownVersion(version)) return fail(newer);
    if (size < expected) return fail(broken);
    return true;
  }

  bool fail(LoadFailure failure) {
    char text[512];
    loadFailureText(product, failure, text, sizeof(text));
    messages.show(listener->messageOwner(), text, "", platform::MessageButtons::Ok);
    return false;
  }

  Effect& effect;
  const PresetProduct& product;
  platform::MessageBoxService& messages;
  PresetFileListener noListener;
  PresetFileListener* listener;
  char presetFolderPath[platform::kPathCapacity];
  Bank scratchBank;
};

}  // namespace sorvane
