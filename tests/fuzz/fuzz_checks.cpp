#include "fuzz_checks.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>

#include "fuzz_support.h"
#include "platform/scripted/message_box.h"
#include "presets/folders.h"

namespace sorvane::fuzz {

VstIntPtr VSTCALLBACK versionOnlyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

const float* checkSignal() {
  static const std::array<float, kCheckFrames> signal = [] {
    std::array<float, kCheckFrames> samples{};
    uint32_t state = 0x2545F491u;
    for (float& sample : samples) {
      state = state * 1664525u + 1013904223u;
      sample = static_cast<float>(static_cast<int32_t>(state)) / 2147483648.0f;
    }
    samples[3] = 1.0f;
    return samples;
  }();
  return signal.data();
}

namespace {

namespace fs = std::filesystem;

class ScratchDocuments {
 public:
  ScratchDocuments() {
    std::random_device entropy;
    root = fs::temp_directory_path() / ("sorvane-fuzz-" + std::to_string(entropy()));
  }
  ~ScratchDocuments() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  const std::string& presetFolder(const PresetProduct& product) {
    auto [at, added] = folders.try_emplace(&product);
    if (added) {
      char relative[platform::kPathCapacity];
      toNativeSeparators(product.presetFolder, relative, sizeof(relative));
      const fs::path folder = root / relative;
      fs::create_directories(folder);
      at->second = folder.string();
    }
    return at->second;
  }

 private:
  fs::path root;
  std::map<const PresetProduct*, std::string> folders;
};

}  // namespace

const std::string& scratchPresetFolder(const PresetProduct& product) {
  static ScratchDocuments documents;
  return documents.presetFolder(product);
}

void writeWholeFile(const std::string& path, const uint8_t* data, size_t size) {
  // A new file rather than a truncated one: some file systems flush a
  // truncated file to disk on close, which would dominate a fuzzing run.
  std::error_code ignored;
  fs::remove(path, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

namespace {

template <class T>
std::unique_ptr<T> copyOf(const T& value) {
  auto copy = std::make_unique<T>();
  std::memcpy(copy.get(), &value, sizeof(T));
  return copy;
}

template <class T>
bool sameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Visits every program and both its sides, making each live in turn: the
// parameters must follow the record. The audio of the current program is
// checked by the caller; one program's values reach the bands like another's.
template <class Effect>
std::string everyProgramProblem(Effect& effect) {
  const VstInt32 current = effect.getProgram();
  Problem problem;
  for (int p = 0; p < kProgramCount && !problem; ++p) {
    effect.setProgram(p);
    for (int turn = 0; turn < 2 && !problem; ++turn) {
      problem.add(liveParameterProblem(effect), "after switching");
      effect.toggleActiveSide();
    }
    if (problem) problem.set(" (program ", p, ")");
  }
  effect.setProgram(current);
  return problem.text();
}

// Both sides of the current program, with new coefficients at once rather
// than after the next update period.
template <class Effect>
std::string bothSidesAudioProblem(Effect& effect) {
  Problem problem;
  for (int turn = 0; turn < 2; ++turn) {
    effect.resume();
    problem.add(audioProblem(effect, true), turn == 0 ? "audio" : "audio of the other side");
    effect.toggleActiveSide();
  }
  return problem.text();
}

// The bytes a restore must reproduce: the chunk itself, except that text
// fields end inside themselves and a side other than 0 or 1 is repaired.
template <class Slot>
std::string restoredSlotProblem(const Slot& restored, const Slot& chunk) {
  auto expected = copyOf(chunk);
  auto actual = copyOf(restored);
  if (chunk.activeSide > 1 && restored.activeSide <= 1) actual->activeSide = chunk.activeSide;
  for (int s = 0; s < 2; ++s) {
    if (restored.fileName[s][platform::kPathCapacity - 1] != 0) return "file name not terminated";
    if (restored.side[s].name[kProgramNameField - 1] != 0) return "name not terminated";
    expected->fileName[s][platform::kPathCapacity - 1] = 0;
    expected->side[s].name[kProgramNameField - 1] = 0;
  }
  if (!sameBytes(*expected, *actual)) return "restored image differs from the chunk";
  return {};
}

template <class Traits>
std::string restoreBank(const uint8_t* data, size_t size) {
  using Effect = typename Traits::Effect;
  using Bank = typename Effect::Bank;
  auto effect = std::make_unique<Effect>(&versionOnlyHost);
  const auto before = copyOf(effect->programStore());
  Bytes chunk(data, data + size);  // the host's memory

  const VstInt32 result = effect->setChunk(chunk.data(), static_cast<VstInt32>(chunk.size()), false);
  const Bank& store = effect->programStore();
  Problem problem;
  uint16_t version = 0;
  if (size >= 8) std::memcpy(&version, data + 6, sizeof(version));
  const bool fits = size == sizeof(Bank);
  if (fits && version == kRecordVersion) {
    if (result != 1) problem.set("a well-formed bank answered ", result);
    if (std::memcmp(store.magic, data, 8) != 0) problem.set("bank header not restored");
    for (int p = 0; p < kProgramCount && !problem; ++p) {
      typename Effect::Slot slot;
      std::memcpy(&slot, data + offsetof(Bank, program) + p * sizeof(slot), sizeof(slot));
      problem.add(restoredSlotProblem(store.program[p], slot), ("program " + std::to_string(p)).c_str());
    }
  } else {
    if (fits && result != 0) problem.set("a bank of version ", version, " answered ", result);
    if (!sameBytes(store, *before)) problem.set("a refused bank changed the store");
  }
  if (effect->getProgram() != 0) problem.set("restore changed the current program");
  problem.add(storeProblem(store), "store");
  problem.add(liveParameterProblem(*effect), "after restore");
  problem.add(chunkReadBackProblem(*effect), "read back");

  // What was read back restores to itself, byte for byte.
  if (!problem && result == 1) {
    auto twin = std::make_unique<Effect>(&versionOnlyHost);
    void* readBack = nullptr;
    const VstInt32 readSize = effect->getChunk(&readBack, false);
    Bytes again(static_cast<uint8_t*>(readBack), static_cast<uint8_t*>(readBack) + readSize);
    if (twin->setChunk(again.data(), readSize, false) != 1 || !sameBytes(twin->programStore(), store))
      problem.set("the read-back bank does not restore to itself");
  }
  problem.add(everyProgramProblem(*effect), "programs");
  problem.add(bothSidesAudioProblem(*effect), "program 0");
  return problem.text();
}

template <class Traits>
std::string restoreProgram(const uint8_t* data, size_t size, VstInt32 program) {
  using Effect = typename Traits::Effect;
  using Slot = typename Effect::Slot;
  auto effect = std::make_unique<Effect>(&versionOnlyHost);
  effect->setProgram(program);
  const auto before = copyOf(effect->programStore());
  Bytes chunk(data, data + size);

  const VstInt32 result = effect->setChunk(chunk.data(), static_cast<VstInt32>(chunk.size()), true);
  const auto& store = effect->programStore();
  Problem problem;
  uint16_t version = 0;
  if (size >= 2) std::memcpy(&version, data, sizeof(version));
  const bool fits = size == sizeof(Slot);
  if (fits && version == kRecordVersion) {
    if (result != 1) problem.set("a well-formed program answered ", result);
    Slot slot;
    std::memcpy(&slot, data, sizeof(slot));
    problem.add(restoredSlotProblem(store.program[program], slot), "restored program");
    auto expected = copyOf(*before);
    std::memcpy(&expected->program[program], &store.program[program], sizeof(Slot));
    if (!sameBytes(*expected, store)) problem.set("restoring one program changed another");
  } else {
    if (fits && result != 0) problem.set("a program of version ", version, " answered ", result);
    if (!sameBytes(store, *before)) problem.set("a refused program changed the store");
  }
  if (effect->getProgram() != program) problem.set("restore changed the current program");
  problem.add(storeProblem(store), "store");
  problem.add(liveParameterProblem(*effect), "after restore");
  problem.add(chunkReadBackProblem(*effect), "read back");
  problem.add(bothSidesAudioProblem(*effect), "restored program");
  return problem.text();
}

// ---- Files ------------------------------------------------------------------

template <class Traits>
struct FileRun {
  using Effect = typename Traits::Effect;
  using Files = PresetFiles<Effect>;
  using Record = typename Files::Record;
  using Bank = typename Files::Bank;
  static constexpr int kParameterCount = Effect::kParameterCount;

  FileRun(VstInt32 program, bool sideB)
      : effect(std::make_unique<Effect>(&versionOnlyHost)),
        folder(scratchPresetFolder(Traits::product())),
        files(std::make_unique<Files>(*effect, Traits::product(), folder.c_str(), messages)) {
    effect->setProgram(program);
    if (sideB) effect->toggleActiveSide();
    before = copyOf(effect->programStore());
  }

  std::string path(const char* extension) const {
    return (std::filesystem::path(folder) / (std::string("Fuzzed.") + extension)).string();
  }
  Bank& store() { return effect->programStore(); }
  int program() { return effect->getProgram(); }
  int side() { return effect->getActiveSide(); }

  // After any load: a safe store, parameters that follow it, finite audio.
  std::string commonProblem() {
    Problem problem;
    problem.add(storeProblem(store()), "store");
    problem.add(liveParameterProblem(*effect), "parameters");
    problem.add(chunkReadBackProblem(*effect), "read back");
    problem.add(audioProblem(*effect, true), "audio");
    effect->resume();
    problem.add(audioProblem(*effect, true), "audio after resume");
    return problem.text();
  }

  // A refused file shows one message and changes nothing.
  std::string refusedProblem() {
    if (messages.shown.size() != 1) return std::to_string(messages.shown.size()) + " messages for a refused file";
    if (!sameBytes(store(), *before)) return "a refused file changed the store";
    return {};
  }

  std::unique_ptr<Effect> effect;
  std::string folder;
  platform::ScriptedMessageBox messages;
  std::unique_ptr<Files> files;
  std::unique_ptr<Bank> before;
};

template <class Traits>
std::string loadPresetFile(const uint8_t* data, size_t size, VstInt32 program, bool sideB, bool swap) {
  using Run = FileRun<Traits>;
  using Record = typename Run::Record;
  Run run(program, sideB);
  const std::string path = run.path(Traits::product().presetExtension);
  writeWholeFile(path, data, size);
  EndianSwap::swapBytes = swap;
  const bool loaded = run.files->loadPreset(path.c_str());

  Problem problem;
  Record file{};
  std::memcpy(&file, data, std::min(size, sizeof(file)));
  const bool wellFormed = size >= sizeof(Record) && std::memcmp(file.magic, Traits::product().presetMagic, 6) == 0 &&
                          EndianSwap::isKnownVersion(file.version);
  if (loaded != wellFormed) problem.set(loaded ? "a malformed preset loaded" : "a well-formed preset was refused");
  if (!problem && loaded) {
    if (!run.messages.shown.empty()) problem.set("a message for a loaded preset");
    // Only the live record's name and values and its file name change.
    auto expected = copyOf(*run.before);
    auto& slot = expected->program[run.program()];
    auto& record = slot.side[run.side()];
    std::memset(record.name, 0, sizeof(record.name));
    std::memcpy(record.name, file.name, boundedLength(file.name, kProgramNameMax));
    bool anyNaN = false;
    for (int i = 0; i < Run::kParameterCount; ++i) {
      record.values[i] = EndianSwap::fileValue(file.values[i]);
      anyNaN = anyNaN || std::isnan(record.values[i]);
    }
    std::memset(slot.fileName[run.side()], 0, platform::kPathCapacity);
    std::strcpy(slot.fileName[run.side()], "Fuzzed.");
    std::strcat(slot.fileName[run.side()], Traits::product().presetExtension);
    // Names are compared up to their terminator: bytes behind it are not part of the name.
    auto& actualName = run.store().program[run.program()].side[run.side()].name;
    if (std::strcmp(actualName, record.name) != 0) problem.set("name '", actualName, "' after loading");
    std::memcpy(record.name, actualName, sizeof(record.name));
    if (!sameBytes(*expected, run.store())) problem.set("loading a preset changed more than the live record");
    if (!anyNaN && run.files->isPresetModified()) problem.set("the preset just loaded counts as modified");
  } else if (!problem) {
    problem.add(run.refusedProblem(), "refused preset");
  }
  EndianSwap::swapBytes = false;
  problem.add(run.commonProblem(), "after loading");
  return problem.text();
}

template <class Traits>
std::string loadBankFile(const uint8_t* data, size_t size, bool sideB, bool swap) {
  using Run = FileRun<Traits>;
  using Bank = typename Run::Bank;
  using Record = typename Run::Record;
  Run run(sideB ? 11 : 4, sideB);
  const std::string path = run.path(Traits::product().bankExtension);
  writeWholeFile(path, data, size);
  EndianSwap::swapBytes = swap;
  const bool loaded = run.files->loadBank(path.c_str());

  Problem problem;
  auto file = std::make_unique<Bank>();
  std::memset(file.get(), 0, sizeof(Bank));
  std::memcpy(file.get(), data, std::min(size, sizeof(Bank)));
  const bool wellFormed = size >= sizeof(Bank) && std::memcmp(file->magic, Traits::product().bankMagic, 6) == 0 &&
                          EndianSwap::isKnownVersion(file->version);
  if (loaded != wellFormed) problem.set(loaded ? "a malformed bank loaded" : "a well-formed bank was refused");
  if (!problem && loaded) {
    if (!run.messages.shown.empty()) problem.set("a message for a loaded bank");
    // Side s of every program takes the file's program; nothing else changes.
    const int s = run.side();
    auto expected = copyOf(*run.before);
    for (int p = 0; p < kProgramCount; ++p) {
      const Record* source = &file->program[p].side[s];
      const Record& other = file->program[p].side[1 - s];
      const char* magic = Traits::product().presetMagic;
      if (std::memcmp(source->magic, magic, 6) != 0 && std::memcmp(other.magic, magic, 6) == 0) source = &other;
      Record& target = expected->program[p].side[s];
      std::memcpy(target.magic, magic, 6);
      target.version = kRecordVersion;
      std::memset(target.name, 0, sizeof(target.name));
      std::memcpy(target.name, source->name, boundedLength(source->name, kProgramNameMax));
      for (int i = 0; i < Run::kParameterCount; ++i) target.values[i] = EndianSwap::fileValue(source->values[i]);
    }
    if (!sameBytes(*expected, run.store())) problem.set("loading a bank changed other bytes than side ", s);
  } else if (!problem) {
    problem.add(run.refusedProblem(), "refused bank");
  }
  EndianSwap::swapBytes = false;
  problem.add(run.commonProblem(), "after loading");
  return problem.text();
}

template <class Run>
std::string forBothProducts(Run&& run) {
  Problem problem;
  problem.add(run(TessaroTraits{}), TessaroTraits::kName);
  problem.add(run(PallidoTraits{}), PallidoTraits::kName);
  return problem.text();
}

}  // namespace

std::string checkBankChunk(const uint8_t* data, size_t size) {
  return forBothProducts([&](auto traits) { return restoreBank<decltype(traits)>(data, size); });
}

std::string checkProgramChunk(const uint8_t* data, size_t size) {
  return forBothProducts([&](auto traits) {
    Problem problem;
    problem.add(restoreProgram<decltype(traits)>(data, size, 0), "program 0");
    problem.add(restoreProgram<decltype(traits)>(data, size, kProgramCount - 1), "program 11");
    return problem.text();
  });
}

std::string checkPresetFile(const uint8_t* data, size_t size) {
  return forBothProducts([&](auto traits) {
    Problem problem;
    problem.add(loadPresetFile<decltype(traits)>(data, size, 0, false, false), "native order, side A");
    problem.add(loadPresetFile<decltype(traits)>(data, size, 9, true, true), "swapped order, side B");
    return problem.text();
  });
}

std::string checkBankFile(const uint8_t* data, size_t size) {
  return forBothProducts([&](auto traits) {
    Problem problem;
    problem.add(loadBankFile<decltype(traits)>(data, size, false, false), "native order, side A");
    problem.add(loadBankFile<decltype(traits)>(data, size, true, true), "swapped order, side B");
    return problem.text();
  });
}

std::span<const Target> targets() {
  static const Target kTargets[] = {
    {"bank_chunk", checkBankChunk},
    {"program_chunk", checkProgramChunk},
    {"preset_file", checkPresetFile},
    {"bank_file", checkBankFile},
    {"dispatcher", checkDispatcher},
#if SORVANE_FUZZ_LV2
    {"lv2_state", checkLv2State},
#endif
  };
  return kTargets;
}

const Target* findTarget(std::string_view name) {
  for (const Target& target : targets())
    if (name == target.name) return &target;
  return nullptr;
}

}  // namespace sorvane::fuzz
