// What a silent tail costs next to a noise block, with flush-to-zero and
// denormals-are-zero off: a recursion whose state sank into subnormal
// numbers would run many times slower on silence. One instance plays noise,
// a twin that heard loud noise plays silence from 10 s into its tail on;
// every iteration times one block of each. Counters per stereo frame:
// noise_ns, tail_ns and tail_vs_noise (the figure to hold below 1.2).
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define SORVANE_HAVE_MXCSR 1
#endif

#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::bench {
namespace {

constexpr int kTailBlock = 512;
constexpr float kTailRate = 48000.0f;

template <class Product, class Sample>
void silentTailVsNoise(benchmark::State& state, float knobs) {
#if defined(SORVANE_HAVE_MXCSR)
  const unsigned savedCsr = _mm_getcsr();
  _mm_setcsr(savedCsr & ~(0x8000u | 0x0040u));
#endif
  using Effect = Sorvane<Product>;
  auto make = [knobs] {
    auto effect = std::make_unique<Effect>(nullptr);
    for (int i = 0; i < Product::kParameterCount; ++i)
      effect->setParameter(i, i == Product::kOnOffIndex ? 0.0f : knobs);
    effect->setSampleRate(kTailRate);
    effect->resume();
    return effect;
  };
  auto noisy = make();
  auto silent = make();

  constexpr int kNoiseBlocks = 16;
  std::vector<Sample> noise(2 * kNoiseBlocks * kTailBlock), zeros(kTailBlock, Sample(0)), out[2];
  std::mt19937 random(3);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (Sample& sample : noise) sample = static_cast<Sample>(uniform(random));
  out[0].resize(kTailBlock);
  out[1].resize(kTailBlock);
  Sample* outputs[2] = {out[0].data(), out[1].data()};
  Sample* silence[2] = {zeros.data(), zeros.data()};
  auto noiseBlock = [&](long n) {
    Sample* block = noise.data() + 2 * (n % kNoiseBlocks) * kTailBlock;
    return std::array<Sample*, 2>{block, block + kTailBlock};
  };
  auto run = [](Effect& effect, Sample** in, Sample** outs) {
    if constexpr (std::is_same_v<Sample, float>)
      effect.processReplacing(in, outs, kTailBlock);
    else
      effect.processDoubleReplacing(in, outs, kTailBlock);
  };

  const long second = static_cast<long>(kTailRate) / kTailBlock;
  for (long b = 0; b < second; ++b) {
    auto in = noiseBlock(b);
    run(*silent, in.data(), outputs);
  }
  for (long b = 0; b < 10 * second; ++b) run(*silent, silence, outputs);

  using Clock = std::chrono::steady_clock;
  Clock::duration noiseTime{}, tailTime{};
  long n = 0;
  for (auto _ : state) {
    auto in = noiseBlock(n++);
    const auto start = Clock::now();
    run(*noisy, in.data(), outputs);
    benchmark::ClobberMemory();
    const auto middle = Clock::now();
    run(*silent, silence, outputs);
    benchmark::ClobberMemory();
    const auto end = Clock::now();
    noiseTime += middle - start;
    tailTime += end - middle;
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  const double frames = static_cast<double>(n) * kTailBlock;
  const double noiseNs = std::chrono::duration<double, std::nano>(noiseTime).count() / frames;
  const double tailNs = std::chrono::duration<double, std::nano>(tailTime).count() / frames;
  state.counters["noise_ns"] = noiseNs;
  state.counters["tail_ns"] = tailNs;
  state.counters["tail_vs_noise"] = tailNs / noiseNs;
#if defined(SORVANE_HAVE_MXCSR)
  _mm_setcsr(savedCsr);
#endif
}

// Band knobs at 0.55 put every band into an active position; at 0.99 every
// switch is at its last position with gains and Q at their ends.
const bool registered = [] {
  struct Knobs {
    const char* name;
    float value;
  };
  for (const Knobs knobs : {Knobs{"active", 0.55f}, Knobs{"extreme", 0.99f}}) {
    const std::string suffix = std::string("/") + knobs.name;
    const float value = knobs.value;
    benchmark::RegisterBenchmark(("silentTail/tessaro/float" + suffix).c_str(), [value](benchmark::State& s) {
      silentTailVsNoise<tessaro::Product, float>(s, value);
    })->UseManualTime();
    benchmark::RegisterBenchmark(("silentTail/tessaro/double" + suffix).c_str(), [value](benchmark::State& s) {
      silentTailVsNoise<tessaro::Product, double>(s, value);
    })->UseManualTime();
    benchmark::RegisterBenchmark(("silentTail/pallido/float" + suffix).c_str(), [value](benchmark::State& s) {
      silentTailVsNoise<pallido::Product, float>(s, value);
    })->UseManualTime();
    benchmark::RegisterBenchmark(("silentTail/pallido/double" + suffix).c_str(), [value](benchmark::State& s) {
      silentTailVsNoise<pallido::Product, double>(s, value);
    })->UseManualTime();
  }
  return true;
}();

}  // namespace
}  // namespace sorvane::bench
