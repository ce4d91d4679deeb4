// A host's two threads at once: the audio thread processes 32-frame blocks
// and plays automation back, while the user-interface thread sets
// parameters, switches programs and sides, restores chunks, saves and loads
// bank files and renames.
// Built under ThreadSanitizer (preset linux-tsan) this shows every data race
// on the shared state; in every build it shows that nothing crashes, the
// audio stays finite and the store stays consistent.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/scripted/message_box.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"
#include "presets/preset_files.h"

namespace sorvane::stress {
namespace {

constexpr int kBlock = 32;
constexpr int kRounds = 4000;      // at least this many host actions
constexpr long kMinBlocks = 4000;  // while at least this many blocks run

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

template <class Product>
class TwoThreads : public ::testing::Test {};
using Products = ::testing::Types<tessaro::Product, pallido::Product>;
TYPED_TEST_SUITE(TwoThreads, Products);

// What the audio thread saw. Only the block count is read while it runs.
struct AudioReport {
  std::atomic<long> blocks{0};
  long nonFinite = 0;
};

TYPED_TEST(TwoThreads, AudioKeepsRunningWhileTheHostChangesEverything) {
  using Effect = Sorvane<TypeParam>;
  constexpr int kParameters = Effect::kParameterCount;
  auto effect = std::make_unique<Effect>(&host);
  AEffect* record = effect->getAeffect();
  record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);

  // Chunks from a second instance with other values, as a project would hold them.
  std::vector<unsigned char> bankChunk, programChunk;
  {
    Effect other(&host);
    for (int p = 0; p < kProgramCount; ++p) {
      other.setProgram(p);
      for (int i = 0; i < kParameters; ++i) other.setParameter(i, static_cast<float>((p * 7 + i * 3) % 11) / 10.0f);
      other.toggleActiveSide();
    }
    other.setParameter(TypeParam::kOnOffIndex, 0.0f);
    void* data = nullptr;
    VstInt32 size = other.getChunk(&data, false);
    bankChunk.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    size = other.getChunk(&data, true);
    programChunk.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
  }

  // A bank file the editor's file menu saves and loads.
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("sorvane-stress-" + std::to_string(std::random_device{}()) +
                                                       "-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  const std::string bankFile = (folder / "Stress.bank").string();
  platform::ScriptedMessageBox messages;
  PresetFiles<Effect> files(*effect, TypeParam::presets(), folder.string().c_str(), messages);
  ASSERT_TRUE(files.saveBank(bankFile.c_str()));

  std::atomic<bool> running{true};
  AudioReport report;
  std::thread audio([&] {
    std::vector<float> in[2], out[2];
    std::vector<double> dIn[2], dOut[2];
    for (int c = 0; c < 2; ++c) {
      in[c].resize(kBlock);
      out[c].resize(kBlock);
      dIn[c].resize(kBlock);
      dOut[c].resize(kBlock);
    }
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    float* inputs[2] = {in[0].data(), in[1].data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    double* dInputs[2] = {dIn[0].data(), dIn[1].data()};
    double* dOutputs[2] = {dOut[0].data(), dOut[1].data()};
    while (running.load(std::memory_order_acquire)) {
      for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kBlock; ++i) dIn[c][i] = in[c][i] = noise(random);
      // Automation playback arrives on this thread between blocks.
      const long block = report.blocks.load(std::memory_order_relaxed);
      if (block % 3 == 0) {
        const auto index = static_cast<VstInt32>(random() % kParameters);
        const float value = index == TypeParam::kOnOffIndex ? 0.0f : static_cast<float>(random() % 1001) / 1000.0f;
        record->setParameter(record, index, value);
      }
      bool finite = true;
      if (block % 2 == 0) {
        record->processReplacing(record, inputs, outputs, kBlock);
        for (int c = 0; c < 2; ++c)
          for (float sample : out[c]) finite = finite && std::isfinite(sample);
      } else {
        record->processDoubleReplacing(record, dInputs, dOutputs, kBlock);
        for (int c = 0; c < 2; ++c)
          for (double sample : dOut[c]) finite = finite && std::isfinite(sample);
      }
      report.nonFinite += finite ? 0 : 1;
      report.blocks.store(block + 1, std::memory_order_relaxed);
    }
  });

  // The user-interface thread: editor gestures, program changes, project loads.
  std::mt19937 random(23);
  while (report.blocks.load(std::memory_order_relaxed) == 0) std::this_thread::yield();
  int round = 0;
  for (; round < kRounds || report.blocks.load(std::memory_order_relaxed) < kMinBlocks; ++round) {
    if (round % 64 == 0) std::this_thread::yield();
    switch (random() % 10) {
      case 0:
      case 1: {
        const auto index = static_cast<VstInt32>(random() % kParameters);
        const float value = index == TypeParam::kOnOffIndex ? 0.0f : static_cast<float>(random() % 1001) / 1000.0f;
        effect->setParameterAutomated(index, value);
        break;
      }
      case 2:
        record->dispatcher(record, effSetProgram, 0, static_cast<VstIntPtr>(random() % kProgramCount), nullptr, 0.0f);
        break;
      case 3: {
        std::vector<unsigned char> copy = bankChunk;
        record->dispatcher(record, effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data(), 0.0f);
        break;
      }
      case 4: {
        std::vector<unsigned char> copy = programChunk;
        record->dispatcher(record, effSetChunk, 1, static_cast<VstIntPtr>(copy.size()), copy.data(), 0.0f);
        break;
      }
      case 5:
        effect->toggleActiveSide();
        break;
      case 6:
        effect->copyActiveSideToOther();
        break;
      case 7:
        files.saveBank(bankFile.c_str());
        break;
      case 8:
        files.loadBank(bankFile.c_str());
        break;
      default: {
        char name[32] = "Take 0000";
        name[5] = static_cast<char>('0' + round / 1000 % 10);
        name[6] = static_cast<char>('0' + round / 100 % 10);
        record->dispatcher(record, effSetProgramName, 0, 0, name, 0.0f);
        char shown[kVstMaxProgNameLen + 1];
        record->dispatcher(record, effGetProgramName, 0, 0, shown, 0.0f);
        char display[kVstMaxParamStrLen + 1];
        record->dispatcher(record, effGetParamDisplay, static_cast<VstInt32>(random() % kParameters), 0, display, 0.0f);
        break;
      }
    }
  }
  running.store(false, std::memory_order_release);
  audio.join();
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  EXPECT_TRUE(messages.shown.empty());

  EXPECT_GE(report.blocks.load(), kMinBlocks);
  EXPECT_EQ(0, report.nonFinite);
  this->RecordProperty("host_actions", round);
  this->RecordProperty("audio_blocks", static_cast<int>(report.blocks.load()));

  // Both threads quiet: the store is whole, and re-applying the program
  // brings parameters and record together again.
  const auto& bank = effect->programStore();
  for (int p = 0; p < kProgramCount; ++p) {
    EXPECT_LE(bank.program[p].activeSide, 1u) << "program " << p;
    for (int s = 0; s < 2; ++s) EXPECT_EQ(0, bank.program[p].side[s].name[kProgramNameField - 1]);
  }
  effect->setProgram(effect->getProgram());
  const auto& live = bank.program[effect->getProgram()].side[effect->getActiveSide()];
  for (int i = 0; i < kParameters; ++i) EXPECT_EQ(live.values[i], effect->getParameter(i)) << "parameter " << i;
}

}  // namespace
}  // namespace sorvane::stress
