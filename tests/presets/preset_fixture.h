// Shared support of the program-store and file tests: both products as typed
// tests, a private preset folder per test, and the store invariants every
// restore and load must keep.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/scripted/message_box.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"
#include "presets/preset_files.h"

namespace sorvane::testing {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

struct TessaroCase {
  using Effect = tessaro::Effect;
  static const PresetProduct& product() { return tessaro::kPresetProduct; }
  static constexpr size_t kRecordSize = 84, kSlotSize = 696, kBankSize = 8360;
  static constexpr const char* kOtherPresetMagic = "PPLDO";
  static constexpr const char* kOtherBankMagic = "BPLDO";
};
struct PallidoCase {
  using Effect = pallido::Effect;
  static const PresetProduct& product() { return pallido::kPresetProduct; }
  static constexpr size_t kRecordSize = 108, kSlotSize = 744, kBankSize = 8936;
  static constexpr const char* kOtherPresetMagic = "PTSQR";
  static constexpr const char* kOtherBankMagic = "BTSQR";
};
using ProductCases = ::testing::Types<TessaroCase, PallidoCase>;

// Counts the editor hooks and answers for the frame window.
struct RecordingListener : PresetFileListener {
  void* messageOwner() override { return &ownerToken; }
  bool presetFileExists(const char* path) override {
    existenceChecks.emplace_back(path);
    return PresetFileListener::presetFileExists(path);
  }
  void presetLoadFinished(bool loaded) override { presetLoads.push_back(loaded); }
  void presetSaved(const char* path) override { saves.emplace_back(path); }
  void bankLoadFinished(bool loaded) override { bankLoads.push_back(loaded); }

  int ownerToken = 0;
  std::vector<std::string> existenceChecks;
  std::vector<bool> presetLoads;
  std::vector<std::string> saves;
  std::vector<bool> bankLoads;
};

inline Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
inline void writeFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
template <class T>
Bytes bytesOf(const T& value) {
  const auto* begin = reinterpret_cast<const unsigned char*>(&value);
  return Bytes(begin, begin + sizeof(T));
}
inline uint32_t bitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

// Every program's sides are 0 or 1 and every text field ends inside itself.
template <class Bank>
::testing::AssertionResult storeIsSafe(const Bank& bank) {
  for (int p = 0; p < kProgramCount; ++p) {
    const auto& slot = bank.program[p];
    if (slot.activeSide > 1) return ::testing::AssertionFailure() << "program " << p << " side " << slot.activeSide;
    for (int s = 0; s < 2; ++s) {
      if (boundedLength(slot.side[s].name, kProgramNameField) == kProgramNameField)
        return ::testing::AssertionFailure() << "program " << p << " side " << s << " name unterminated";
      if (boundedLength(slot.fileName[s], platform::kPathCapacity) == platform::kPathCapacity)
        return ::testing::AssertionFailure() << "program " << p << " side " << s << " file name unterminated";
    }
  }
  return ::testing::AssertionSuccess();
}

// Runs past several coefficient update points with a finite signal in both
// precisions and checks every output sample.
template <class Effect>
::testing::AssertionResult outputIsFinite(Effect& effect) {
  constexpr int kFrames = 2600;
  std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
  std::vector<double> dInL(kFrames), dInR(kFrames), dOutL(kFrames), dOutR(kFrames);
  for (int i = 0; i < kFrames; ++i) {
    inL[i] = static_cast<float>(std::sin(i * 0.05)) * 0.9f;
    inR[i] = i % 64 == 0 ? 1.0f : 0.0f;
    dInL[i] = inL[i];
    dInR[i] = inR[i];
  }
  float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  double* dIn[2] = {dInL.data(), dInR.data()};
  double* dOut[2] = {dOutL.data(), dOutR.data()};
  effect.processReplacing(in, out, kFrames);
  effect.processDoubleReplacing(dIn, dOut, kFrames);
  for (int i = 0; i < kFrames; ++i)
    if (!std::isfinite(outL[i]) || !std::isfinite(outR[i]) || !std::isfinite(dOutL[i]) || !std::isfinite(dOutR[i]))
      return ::testing::AssertionFailure() << "non-finite output at frame " << i;
  return ::testing::AssertionSuccess();
}

// A private folder tree per test with the product's preset folder inside it,
// so relative names are computed as they are below the documents folder.
class ScratchFolder {
 public:
  explicit ScratchFolder(const PresetProduct& product) {
    // ctest runs test processes side by side and sanitizers place objects at
    // the same addresses in each, so the name takes entropy from the system.
    static std::atomic<int> counter{0};
    static const unsigned long long processTag =
        (static_cast<unsigned long long>(std::random_device{}()) << 32) | std::random_device{}();
    root =
        fs::temp_directory_path() / ("sorvane-presets-" + std::to_string(processTag) + "-" + std::to_string(counter++));
    char relative[platform::kPathCapacity];
    toNativeSeparators(product.presetFolder, relative, sizeof(relative));
    presets = root / relative;
    fs::create_directories(presets);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  fs::path root;
  fs::path presets;
};

template <class Case>
class PresetFixture : public ::testing::Test {
 protected:
  using Effect = typename Case::Effect;
  using Files = PresetFiles<Effect>;
  using Record = typename Files::Record;
  using Bank = typename Files::Bank;
  static constexpr int kParameterCount = Effect::kParameterCount;

  void SetUp() override {
    EndianSwap::swapBytes = false;
    effect = std::make_unique<Effect>(nullptr);
    files = makeFiles(*effect);
  }
  void TearDown() override { EndianSwap::swapBytes = false; }

  std::unique_ptr<Files> makeFiles(Effect& target) {
    return std::make_unique<Files>(target, Case::product(), folder.presets.string().c_str(), messages, &listener);
  }
  std::string path(const std::string& relative) const { return (folder.presets / relative).string(); }
  Bank& store() { return effect->programStore(); }
  Record& liveRecord() { return store().program[effect->getProgram()].side[effect->getActiveSide()]; }

  // Distinct, exactly representable values so every comparison is bit for bit.
  void setDistinctValues(float base) {
    for (int i = 0; i < kParameterCount; ++i) effect->setParameter(i, base + static_cast<float>(i) / 64.0f);
  }

  ScratchFolder folder{Case::product()};
  platform::ScriptedMessageBox messages;
  RecordingListener listener;
  std::unique_ptr<Effect> effect;
  std::unique_ptr<Files> files;
};

}  // namespace sorvane::testing
