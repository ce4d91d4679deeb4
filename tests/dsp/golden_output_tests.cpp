#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "dsp/cut_filters.h"
#include "dsp/tessaro_bands.h"

// Bit-exact output of every band class on a fixed input, across one
// parameter change (so the crossfade and the update frame are covered).
// The same table must pass in the native and the cross-built Windows test
// programs: that is what shows both builds give the same output bits.
//
// When a change to the filters is intended, run with SORVANE_PRINT_GOLDEN=1
// to print a fresh table and paste it below.

namespace sorvane::dsp {
namespace {

std::uint64_t fnv1a(std::uint64_t hash, double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) {
    hash ^= (bits >> (8 * i)) & 0xffu;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// 6000 samples of full-scale noise from a fixed linear congruential
// generator; the second settings take effect at sample 3000.
template <typename BandType, std::size_t Count>
std::uint64_t render(float rate, const std::array<float, Count>& first, const std::array<float, Count>& second) {
  BandType band;
  band.setSampleRate(rate);
  for (std::size_t i = 0; i < Count; ++i) band.setParameterValue(static_cast<int>(i), first[i]);
  band.calculateCoefficients();
  std::uint64_t hash = 0xcbf29ce484222325ull;
  std::uint32_t state = 2024;
  for (int n = 0; n < 6000; ++n) {
    if (n == 3000) {
      for (std::size_t i = 0; i < Count; ++i) band.setParameterValue(static_cast<int>(i), second[i]);
      band.calculateCoefficients();
    }
    state = state * 1664525u + 1013904223u;
    double sample = static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
    band.process(sample);
    hash = fnv1a(hash, sample);
  }
  return hash;
}

struct Golden {
  const char* name;
  std::function<std::uint64_t()> render;
  std::uint64_t expected;
};

using One = std::array<float, 1>;
using Three = std::array<float, 3>;
using Four = std::array<float, 4>;

const Golden kGolden[] = {
    {"tessaro high cut 44100", [] { return render<tessaro::HighCut>(44100.0f, One{0.1f}, One{0.9f}); },
     0x24d1a18df2cf32a1ull},
    {"tessaro high cut 96000", [] { return render<tessaro::HighCut>(96000.0f, One{0.7f}, One{1.0f}); },
     0xea9a6514b5b5e7dbull},
    {"tessaro low cut 44100", [] { return render<tessaro::LowCut>(44100.0f, One{0.3f}, One{1.0f}); },
     0x5ff4a9281d8fe318ull},
    {"tessaro low cut 96000", [] { return render<tessaro::LowCut>(96000.0f, One{0.0f}, One{0.6f}); },
     0x01aff8ba3477d49cull},
    {"tessaro high low 44100",
     [] {
       return render<tessaro::HighLow>(44100.0f, Four{0.5f, 1.0f, 0.5f, 0.0f}, Four{1.0f, 0.3f, 0.8f, 0.9f});
     },
     0xa1d2be4dc7f17c95ull},
    {"tessaro high low 96000",
     [] {
       return render<tessaro::HighLow>(96000.0f, Four{0.0f, 0.5f, 0.3f, 0.2f}, Four{0.7f, 0.75f, 0.1f, 0.5f});
     },
     0x7667143f40c966beull},
    {"tessaro mid 44100",
     [] {
       return render<tessaro::Mid>(44100.0f, Three{0.55f, 1.0f, 0.8f}, Three{0.2f, 0.0f, 0.1f});
     },
     0x71448217ac5e476dull},
    {"tessaro mid 96000",
     [] {
       return render<tessaro::Mid>(96000.0f, Three{0.9f, 0.0f, 0.3f}, Three{1.0f, 1.0f, 1.0f});
     },
     0x09349dce9db074d3ull},
    {"pallido high cut 44100", [] { return render<pallido::HighCut>(44100.0f, One{0.5f}, One{0.1f}); },
     0x72f46b3e546b917eull},
    {"pallido high cut 96000", [] { return render<pallido::HighCut>(96000.0f, One{0.9f}, One{0.3f}); },
     0x2015483092921fbeull},
    {"pallido low cut 44100", [] { return render<pallido::LowCut>(44100.0f, One{0.5f}, One{0.9f}); },
     0x6155b4fa92178c6eull},
    {"pallido low cut 96000", [] { return render<pallido::LowCut>(96000.0f, One{1.0f}, One{0.3f}); },
     0xa2a58950c2d441c8ull},
};

TEST(GoldenOutput, every_band_class_renders_its_stored_output_bits) {
  const bool print = std::getenv("SORVANE_PRINT_GOLDEN") != nullptr;
  for (const Golden& golden : kGolden) {
    const std::uint64_t actual = golden.render();
    if (print) std::printf("    %-26s 0x%016llxull\n", golden.name, static_cast<unsigned long long>(actual));
    EXPECT_EQ(actual, golden.expected) << golden.name;
  }
}

}  // namespace
}  // namespace sorvane::dsp
