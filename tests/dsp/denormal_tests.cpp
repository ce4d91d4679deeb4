// After loud noise, a minute of silence at extreme settings with the FPU's
// flush-to-zero and denormals-are-zero modes off: the recursion's denormal
// guard must bring every band to rest without a single subnormal number in
// the output or in a band's remembered state, and the output must fall
// below 1e-7 once the tail has passed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define SORVANE_HAVE_MXCSR 1
#endif

#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::testing {
namespace {

constexpr int kBlock = 512;
constexpr double kNoiseSeconds = 1.0;
constexpr double kSilenceSeconds = 60.0;
constexpr double kTailSeconds = 5.0;
constexpr double kRestLevel = 1e-7;

// Flush-to-zero and denormals-are-zero off for this thread, as a host may
// leave them; restored afterwards.
class DenormalsKept {
 public:
  DenormalsKept() {
#if defined(SORVANE_HAVE_MXCSR)
    saved = _mm_getcsr();
    _mm_setcsr(saved & ~(0x8000u | 0x0040u));
#endif
  }
  ~DenormalsKept() {
#if defined(SORVANE_HAVE_MXCSR)
    _mm_setcsr(saved);
#endif
  }

 private:
  unsigned saved = 0;
};

bool isSubnormal(double value) { return std::fpclassify(value) == FP_SUBNORMAL; }

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

struct Setting {
  const char* name;
  float knobs;  // every knob but On / Off (always on)
  float rate;
};
const Setting kSettings[] = {
    {"every knob at 0", 0.0f, 44100.0f},
    {"every knob at 1", 1.0f, 44100.0f},
    {"every switch at its last position", 0.99f, 44100.0f},
    {"every switch at its last position, 192 kHz", 0.99f, 192000.0f},
};

TEST(Denormals, TheFpuKeepsThemInThisTest) {
  DenormalsKept kept;
  volatile double smallest = 2.2250738585072014e-308;
  EXPECT_TRUE(isSubnormal(smallest * 0.5)) << "flush-to-zero is still on";
}

template <class Product>
class SilenceAfterNoise : public ::testing::Test {};
using Products = ::testing::Types<tessaro::Product, pallido::Product>;
TYPED_TEST_SUITE(SilenceAfterNoise, Products);

// The first subnormal in a band's remembered output or coefficients, if any.
template <class Bands>
std::string subnormalBandState(const Bands& bands, const char* channel) {
  std::string found;
  std::apply(
      [&](const auto&... band) {
        int index = 0;
        auto check = [&](const auto& b) {
          const auto set = b.coefficients();
          bool bad = isSubnormal(b.heldOutput()) || isSubnormal(set.a0) || isSubnormal(set.outputGain);
          for (double a : set.a) bad = bad || isSubnormal(a);
          for (double c : set.b) bad = bad || isSubnormal(c);
          if (bad && found.empty()) found = std::string(channel) + " band " + std::to_string(index);
          ++index;
        };
        (check(band), ...);
      },
      bands);
  return found;
}

TYPED_TEST(SilenceAfterNoise, EndsInQuietWithoutOneSubnormal) {
  using Effect = Sorvane<TypeParam>;
  DenormalsKept kept;
  for (const Setting& setting : kSettings) {
    SCOPED_TRACE(setting.name);
    auto effect = std::make_unique<Effect>(&host);
    for (int i = 0; i < Effect::kParameterCount; ++i)
      effect->setParameter(i, i == TypeParam::kOnOffIndex ? 0.0f : setting.knobs);
    effect->setSampleRate(setting.rate);
    effect->resume();

    std::vector<double> in[2], out[2];
    for (int c = 0; c < 2; ++c) {
      in[c].assign(kBlock, 0.0);
      out[c].assign(kBlock, 0.0);
    }
    double* inputs[2] = {in[0].data(), in[1].data()};
    double* outputs[2] = {out[0].data(), out[1].data()};
    std::vector<float> fIn(kBlock, 0.0f), fOut[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    float* fInputs[2] = {fIn.data(), fIn.data()};
    float* fOutputs[2] = {fOut[0].data(), fOut[1].data()};

    // Loud: full-scale noise.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const long noiseBlocks = static_cast<long>(kNoiseSeconds * setting.rate) / kBlock;
    for (long b = 0; b < noiseBlocks; ++b) {
      for (int c = 0; c < 2; ++c)
        for (double& sample : in[c]) sample = noise(random);
      effect->processDoubleReplacing(inputs, outputs, kBlock);
    }

    // Silence, alternating the precisions block by block.
    for (int c = 0; c < 2; ++c) in[c].assign(kBlock, 0.0);
    const long silentBlocks = static_cast<long>(kSilenceSeconds * setting.rate) / kBlock;
    const long tailBlocks = static_cast<long>(kTailSeconds * setting.rate) / kBlock;
    long subnormals = 0, loud = 0;
    double loudest = 0.0;
    std::string state;
    for (long b = 0; b < silentBlocks; ++b) {
      const bool afterTail = b >= tailBlocks;
      auto look = [&](double sample) {
        subnormals += isSubnormal(sample) ? 1 : 0;
        if (afterTail && !(std::fabs(sample) < kRestLevel)) {
          ++loud;
          loudest = std::fmax(loudest, std::fabs(sample));
        }
      };
      if (b % 2 == 0) {
        effect->processDoubleReplacing(inputs, outputs, kBlock);
        for (int c = 0; c < 2; ++c)
          for (double sample : out[c]) look(sample);
      } else {
        effect->processReplacing(fInputs, fOutputs, kBlock);
        for (int c = 0; c < 2; ++c)
          for (float sample : fOut[c]) {
            subnormals += std::fpclassify(sample) == FP_SUBNORMAL ? 1 : 0;
            look(sample);
          }
      }
      if (state.empty()) state = subnormalBandState(effect->leftBands(), "left");
      if (state.empty()) state = subnormalBandState(effect->rightBands(), "right");
    }
    EXPECT_EQ(0, subnormals) << "subnormal output samples";
    EXPECT_EQ(0, loud) << "samples at or above " << kRestLevel << " after the tail, loudest " << loudest;
    EXPECT_EQ("", state) << "subnormal state";
  }
}

}  // namespace
}  // namespace sorvane::testing
