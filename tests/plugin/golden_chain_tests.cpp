// Bit-exact output of both whole chains: every factory program at 44.1 and
// 96 kHz, with a switch to the next program halfway (so coefficient
// updates, crossfades and the output stage are all covered). The same table
// must pass in the native and the cross-built Windows test programs.
//
// When a change to the sound is intended, run with SORVANE_PRINT_GOLDEN=1
// to print a fresh table and paste it below.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane {
namespace {

struct GoldenChain {
  const char* product;
  int program;
  float rate;
  uint64_t hash;
};

constexpr GoldenChain kGolden[] = {
#include "golden_chain_table.inc"
};

uint64_t fnv1a(uint64_t hash, const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// 16384 frames of full-scale noise from a fixed generator, processed in
// blocks of 480 at the given rate; the next program is selected at frame 8160.
template <class Effect>
uint64_t render(int program, float rate) {
  Effect effect(nullptr);
  effect.setSampleRate(rate);
  effect.setBlockSize(480);
  effect.setProgram(program);
  effect.resume();
  uint32_t state = 1234567u;
  std::vector<float> left(480), right(480);
  float* buffers[] = {left.data(), right.data()};
  uint64_t hash = 0xcbf29ce484222325ull;
  for (int block = 0; block < 34; ++block) {
    if (block == 17) effect.setProgram((program + 1) % 12);
    for (int i = 0; i < 480; ++i) {
      state = state * 1664525u + 1013904223u;
      left[i] = static_cast<float>(static_cast<double>(state >> 8) / 8388608.0 - 1.0);
      state = state * 1664525u + 1013904223u;
      right[i] = static_cast<float>(static_cast<double>(state >> 8) / 8388608.0 - 1.0);
    }
    effect.processReplacing(buffers, buffers, 480);
    hash = fnv1a(hash, left.data(), left.size() * sizeof(float));
    hash = fnv1a(hash, right.data(), right.size() * sizeof(float));
  }
  return hash;
}

uint64_t renderProduct(const char* product, int program, float rate) {
  return std::strcmp(product, "Tessaro") == 0 ? render<tessaro::Effect>(program, rate)
                                              : render<pallido::Effect>(program, rate);
}

TEST(GoldenChain, EveryFactoryProgramSoundsBitForBitAsRecorded) {
  if (std::getenv("SORVANE_PRINT_GOLDEN")) {
    for (const char* product : {"Tessaro", "Pallido"})
      for (float rate : {44100.0f, 96000.0f})
        for (int program = 0; program < 12; ++program)
          std::printf("    {\"%s\", %d, %.1ff, 0x%016" PRIx64 "ull},\n", product, program, rate,
                      renderProduct(product, program, rate));
    GTEST_SKIP() << "printed a fresh table";
  }
  ASSERT_EQ(std::size(kGolden), 48u);
  for (const GoldenChain& golden : kGolden)
    EXPECT_EQ(renderProduct(golden.product, golden.program, golden.rate), golden.hash)
        << golden.product << " program " << golden.program << " at " << golden.rate << " Hz";
}

}  // namespace
}  // namespace sorvane
