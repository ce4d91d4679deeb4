// Cost of the audio path of both products, next to the floor kernel (the
// bare arithmetic, floor_kernel.h) measured in the same run, and next to
// the straightforward per-sample path the tests keep as their reference
// (names ending in /reference). Block 512, 48 kHz, stereo. Times are CPU time; "frame" is the cost of one stereo
// frame. At the end a table gives every process figure as a multiple of its
// product's floor (bypass: of a plain memcpy), from the medians when the run
// has repetitions (--benchmark_repetitions=N), else from the single run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "floor_kernel.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"
#include "reference_chain.h"

namespace sorvane::bench {
namespace {

constexpr int kBlock = 512;
constexpr float kRate = 48000.0f;

template <class Sample>
struct StereoBlock {
  std::vector<Sample> inL, inR, outL, outR;
  Sample* in[2];
  Sample* out[2];
  int frames;
  explicit StereoBlock(int size = kBlock) : inL(size), inR(size), outL(size), outR(size), frames(size) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    for (int i = 0; i < size; ++i) {
      inL[i] = uniform(random);
      inR[i] = uniform(random);
    }
    in[0] = inL.data();
    in[1] = inR.data();
    out[0] = outL.data();
    out[1] = outR.data();
  }
};

void countFrames(benchmark::State& state, int frames = kBlock) {
  state.counters["frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Band parameters at 0.55 switch every band of both products into an
// active position (cut filters on, shelves and mids on, peak on, narrow Q,
// gains slightly off centre); 0.65 is another active setting of each.
constexpr float kActive = 0.55f;
constexpr float kMoved = 0.65f;

template <class Product>
void setBandParameters(sorvane::Sorvane<Product>& effect, float value) {
  for (int i = 0; i < Product::kParameterCount; ++i)
    if (Product::kParameters[i].role == ParameterRole::Band) effect.setParameter(i, value);
}

// Crossfade: one knob automated (moved every block), so its band is
// recomputed at every update check (each 1025 samples) and crossfades
// during 512 of them. CrossfadeAll: every band knob automated at once.
enum class Setting { Init, Active, Crossfade, CrossfadeAll, Bypass };

template <class Product>
std::unique_ptr<sorvane::Sorvane<Product>> makeEffect(Setting setting, int blockSize = kBlock) {
  auto effect = std::make_unique<sorvane::Sorvane<Product>>(nullptr);
  effect->setSampleRate(kRate);
  effect->setBlockSize(blockSize);
  effect->resume();
  if (setting != Setting::Init) setBandParameters(*effect, kActive);
  if (setting == Setting::Bypass) effect->setParameter(Product::kOnOffIndex, 1.0f);
  return effect;
}

// Path::Reference: the straightforward per-sample kernel the tests keep
// (reference_chain.h), for before/after figures from one run.
enum class Path { Shipped, Reference };

template <class Sample, class Product>
void process(sorvane::Sorvane<Product>& effect, StereoBlock<Sample>& block, Path path = Path::Shipped) {
  if (path == Path::Reference)
    ChainAccess<Product>::processReference(effect, block.in, block.out, block.frames);
  else if constexpr (std::is_same_v<Sample, float>)
    effect.processReplacing(block.in, block.out, block.frames);
  else
    effect.processDoubleReplacing(block.in, block.out, block.frames);
}

template <class Product, class Sample>
void benchProcess(benchmark::State& state, Setting setting, int automated, Path path, int blockSize = kBlock) {
  auto effect = makeEffect<Product>(setting, blockSize);
  StereoBlock<Sample> block(blockSize);
  // Serve the pending updates and let every crossfade run out.
  for (int i = 0; i < 16 * kBlock / blockSize; ++i) process(*effect, block, path);
  bool moved = false;
  for (auto _ : state) {
    if (setting == Setting::Crossfade || setting == Setting::CrossfadeAll) {
      moved = !moved;
      if (setting == Setting::Crossfade)
        effect->setParameter(automated, moved ? kMoved : kActive);
      else
        setBandParameters(*effect, moved ? kMoved : kActive);
    }
    process(*effect, block, path);
    benchmark::DoNotOptimize(block.outL.data());
    benchmark::DoNotOptimize(block.outR.data());
    benchmark::ClobberMemory();
  }
  countFrames(state, blockSize);
}

template <class Sample>
void benchMemcpy(benchmark::State& state) {
  StereoBlock<Sample> block;
  for (auto _ : state) {
    benchmark::DoNotOptimize(block.inL.data());
    std::memcpy(block.outL.data(), block.inL.data(), sizeof(Sample) * kBlock);
    std::memcpy(block.outR.data(), block.inR.data(), sizeof(Sample) * kBlock);
    benchmark::ClobberMemory();
  }
  countFrames(state);
}

// The floor kernel gets the coefficients of the product's active setting,
// so it filters the same signal the same way (without the output gains).
template <class Product, class Floor>
void loadFloor(Floor& floor) {
  auto effect = makeEffect<Product>(Setting::Active);
  StereoBlock<float> block;
  for (int i = 0; i < 16; ++i) process(*effect, block);
  auto lane = [](double l, double r) { return dsp::Lanes2::load(&l, &r); };
  [&]<size_t... I>(std::index_sequence<I...>) {
    (
        [&] {
          auto& section = std::get<I>(floor.sections());
          const auto left = std::get<I>(effect->leftBands()).coefficients();
          const auto right = std::get<I>(effect->rightBands()).coefficients();
          static_assert(std::tuple_size_v<decltype(left.b)> == std::tuple_size_v<decltype(section.b)>);
          for (size_t k = 0; k < left.b.size(); ++k) section.b[k] = lane(left.b[k], right.b[k]);
          for (size_t k = 0; k < left.a.size(); ++k) section.a[k] = lane(left.a[k], right.a[k]);
        }(),
        ...);
  }
  (std::make_index_sequence<std::tuple_size_v<typename Product::Bands>>{});
}

template <class Product, class Floor>
void benchFloor(benchmark::State& state) {
  Floor floor;
  loadFloor<Product>(floor);
  StereoBlock<float> block;
  for (auto _ : state) {
    floor.process(block.inL.data(), block.inR.data(), block.outL.data(), block.outR.data(), kBlock);
    benchmark::DoNotOptimize(block.outL.data());
    benchmark::ClobberMemory();
  }
  countFrames(state);
}

template <class BandType>
void benchCoefficients(benchmark::State& state) {
  BandType band;
  band.setSampleRate(kRate);
  for (int field = 0; field < BandType::kParameterCount; ++field) band.setParameterValue(field, kActive);
  for (auto _ : state) {
    band.calculateCoefficients();
    benchmark::ClobberMemory();
  }
}

// --- registration --------------------------------------------------------

using TessaroFloor = FloorChain<3, 4, 2, 3>;
using PallidoFloor = FloorChain<3, 3, 2, 2, 3, 3>;

// `automated`: the knob of the one-knob crossfade case.
template <class Product>
void registerProduct(const std::string& product, int automated, Path path) {
  const std::pair<const char*, Setting> settings[] = {{"init", Setting::Init},
                                                      {"active", Setting::Active},
                                                      {"crossfade", Setting::Crossfade},
                                                      {"crossfade_all", Setting::CrossfadeAll},
                                                      {"bypass", Setting::Bypass}};
  const std::string suffix = path == Path::Reference ? "/reference" : "";
  for (const auto& [name, setting] : settings) {
    const Setting s = setting;
    benchmark::RegisterBenchmark(("processReplacing/" + product + "/" + name + suffix).c_str(),
                                 [=](benchmark::State& st) { benchProcess<Product, float>(st, s, automated, path); });
    benchmark::RegisterBenchmark(("processDoubleReplacing/" + product + "/" + name + suffix).c_str(),
                                 [=](benchmark::State& st) { benchProcess<Product, double>(st, s, automated, path); });
  }
  // Hosts with short blocks: what the per-block work costs there. The
  // ratio table sets each against the same operation at 512 frames.
  for (int size : {32, 64, 128}) {
    const std::string name = "/" + product + "/active_block" + std::to_string(size) + suffix;
    benchmark::RegisterBenchmark(("processReplacing" + name).c_str(), [=](benchmark::State& st) {
      benchProcess<Product, float>(st, Setting::Active, automated, path, size);
    });
    benchmark::RegisterBenchmark(("processDoubleReplacing" + name).c_str(), [=](benchmark::State& st) {
      benchProcess<Product, double>(st, Setting::Active, automated, path, size);
    });
  }
}

template <class... BandTypes>
void registerCoefficients(const std::string& product, const std::vector<std::string>& names) {
  size_t index = 0;
  (benchmark::RegisterBenchmark(("calculateCoefficients/" + product + "::" + names[index++]).c_str(),
                                benchCoefficients<BandTypes>)
       ->Unit(benchmark::kMicrosecond),
   ...);
}

void registerAll() {
  // The floors first: the ratio table needs them from the same run.
  benchmark::RegisterBenchmark("floor/tessaro", benchFloor<tessaro::Product, TessaroFloor>);
  benchmark::RegisterBenchmark("floor/pallido", benchFloor<pallido::Product, PallidoFloor>);
  benchmark::RegisterBenchmark("memcpy/float", benchMemcpy<float>);
  benchmark::RegisterBenchmark("memcpy/double", benchMemcpy<double>);
  // The automated knob belongs to the band with the costliest update.
  for (Path path : {Path::Shipped, Path::Reference}) {
    registerProduct<tessaro::Product>("tessaro", 3, path);  // High Gain (shelves)
    registerProduct<pallido::Product>("pallido", 4, path);  // High Shelf Gain
  }
  namespace t = sorvane::dsp::tessaro;
  namespace p = sorvane::dsp::pallido;
  registerCoefficients<t::HighCut, t::HighLow, t::Mid, t::LowCut>("tessaro", {"HighCut", "HighLow", "Mid", "LowCut"});
  registerCoefficients<p::HighCut, p::HighShelf, p::HighMid, p::LowMid, p::LowShelf, p::LowCut>(
      "pallido", {"HighCut", "HighShelf", "HighMid", "LowMid", "LowShelf", "LowCut"});
}

// --- ratio table ---------------------------------------------------------

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto frame = run.counters.find("frame");
      if (frame == run.counters.end() || run.error_occurred) continue;
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") {
          perFrame_[name] = frame->second.value;
          fromMedian_[name] = true;
        }
      } else if (!fromMedian_[name]) {
        perFrame_[name] = frame->second.value;
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    if (perFrame_.empty()) return;
    std::printf("\n%-44s %12s %10s  %s\n", "per stereo frame", "ns", "ratio", "to");
    for (const auto& [name, seconds] : perFrame_) {
      const std::string reference = referenceFor(name);
      const auto found = perFrame_.find(reference);
      if (reference.empty() || found == perFrame_.end()) {
        std::printf("%-44s %12.2f\n", name.c_str(), seconds * 1e9);
        continue;
      }
      std::printf("%-44s %12.2f %10.2f  %s\n", name.c_str(), seconds * 1e9, seconds / found->second, reference.c_str());
    }
  }

 private:
  // processReplacing/tessaro/active[/reference] -> floor/tessaro; bypass ->
  // memcpy; a short block -> the same operation's 512-frame block.
  static std::string referenceFor(const std::string& name) {
    const size_t first = name.find('/');
    if (first == std::string::npos) return {};
    const std::string operation = name.substr(0, first);
    if (operation != "processReplacing" && operation != "processDoubleReplacing") return {};
    const size_t second = name.find('/', first + 1);
    const std::string product = name.substr(first + 1, second - first - 1);
    if (name.find("/bypass") != std::string::npos)
      return operation == "processReplacing" ? "memcpy/float" : "memcpy/double";
    const size_t shortBlock = name.find("/active_block");
    if (shortBlock != std::string::npos) {
      const size_t end = name.find('/', shortBlock + 1);
      return name.substr(0, shortBlock) + "/active" + (end == std::string::npos ? "" : name.substr(end));
    }
    return "floor/" + product;
  }

  std::map<std::string, double> perFrame_;
  std::map<std::string, bool> fromMedian_;
};

}  // namespace
}  // namespace sorvane::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  sorvane::bench::registerAll();
  sorvane::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
