// The audio thread never touches the heap: block processing in both
// precisions, automation arriving on that thread, and the coefficient
// updates and crossfades it triggers, at every rate class.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "allocation_hooks.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::rt {
namespace {

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// Runs work on a thread of its own, as a host's audio thread, and returns
// the heap calls it made.
template <class Work>
long heapCallsOnAudioThread(Work&& work) {
  long calls = -1;
  std::thread audio([&] {
    watchThisThread(true);
    work();
    calls = heapCallsOfThisThread();
    watchThisThread(false);
  });
  audio.join();
  return calls;
}

TEST(AllocationHooks, CountWhatTheWatchedThreadAllocates) {
  const long calls = heapCallsOnAudioThread([] {
    void* volatile block = std::malloc(24);
    std::free(block);
    int* volatile number = new int(7);
    delete number;
  });
  EXPECT_GE(calls, 2) << "hooks: " << hookKind();
}

template <class Product>
class AudioThread : public ::testing::Test {};
using Products = ::testing::Types<tessaro::Product, pallido::Product>;
TYPED_TEST_SUITE(AudioThread, Products);

TYPED_TEST(AudioThread, ProcessesAutomatesAndUpdatesWithoutTheHeap) {
  using Effect = Sorvane<TypeParam>;
  constexpr int kParameters = Effect::kParameterCount;
  constexpr int kMaxBlock = 4100;
  auto effect = std::make_unique<Effect>(&host);
  AEffect* record = effect->getAeffect();

  // Host memory, made before the audio thread starts.
  std::vector<float> fIn[2], fOut[2];
  std::vector<double> dIn[2], dOut[2];
  for (int c = 0; c < 2; ++c) {
    fIn[c].resize(kMaxBlock);
    fOut[c].resize(kMaxBlock);
    dIn[c].resize(kMaxBlock);
    dOut[c].resize(kMaxBlock);
    for (int i = 0; i < kMaxBlock; ++i) {
      fIn[c][i] = static_cast<float>(std::sin(0.01 * i * (c + 1)));
      dIn[c][i] = fIn[c][i];
    }
  }
  float* fInputs[2] = {fIn[0].data(), fIn[1].data()};
  float* fOutputs[2] = {fOut[0].data(), fOut[1].data()};
  double* dInputs[2] = {dIn[0].data(), dIn[1].data()};
  double* dOutputs[2] = {dOut[0].data(), dOut[1].data()};
  const int blocks[] = {32, 1, 512, 13, 1025, 4097, 64, 2049};

  for (const float rate : {44100.0f, 96000.0f, 192000.0f}) {
    record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, rate);
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
    int round = 0;
    int roundsEndingUpdated = 0;  // every band recomputed within the block
    const long calls = heapCallsOnAudioThread([&] {
      for (; round < 48; ++round) {
        // Automation: every parameter moves, bypass and phase included,
        // with the On / Off value back at 0 for most blocks.
        for (int i = 0; i < kParameters; ++i) {
          const float value = std::fmod(0.37f * static_cast<float>(round + 1) + 0.11f * static_cast<float>(i), 1.0f);
          record->setParameter(record, i, i == TypeParam::kOnOffIndex && round % 4 != 3 ? 0.0f : value);
          (void)record->getParameter(record, i);
        }
        const int frames = blocks[round % std::size(blocks)];
        if (round % 2)
          record->processReplacing(record, fInputs, fOutputs, frames);
        else
          record->processDoubleReplacing(record, dInputs, dOutputs, frames);
        bool updated = true;
        for (int band = 0; band < Sorvane<TypeParam>::kBandCount; ++band)
          updated = updated && !effect->isBandDirty(band);
        roundsEndingUpdated += updated ? 1 : 0;
      }
    });
    EXPECT_EQ(0, calls) << "at " << rate << " Hz (hooks: " << hookKind() << ")";
    ASSERT_EQ(48, round);
    EXPECT_GT(roundsEndingUpdated, 0) << "no coefficient update ran on the audio thread at " << rate << " Hz";
  }
}

}  // namespace
}  // namespace sorvane::rt
